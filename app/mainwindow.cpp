#include "app/mainwindow.h"

#include "app/report.h"
#include "app/workfile.h"
#include "components/errors.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace pictaron {

namespace {

QLabel* InfoLabel(QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral(" \n "), parent);
    label->setStyleSheet(QStringLiteral("background: black; color: white; font-weight: bold;"));
    return label;
}

QWidget* PicturePanel(QLabel* info, QLabel* view, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* scroll = new QScrollArea(panel);
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setWidget(view);
    scroll->setWidgetResizable(false);
    layout->addWidget(info);
    layout->addWidget(scroll, 1);
    return panel;
}

// The report's texts use "\r\n" between lines, as the label hints always have.
QString LabelText(const QString& info)
{
    QString text = info;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

TfrmPictaron::TfrmPictaron(QWidget* parent)
    : QMainWindow(parent), runs_(WorkFilePath())
{
    setWindowTitle(QStringLiteral("Pictaron"));
    resize(900, 600);

    auto* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = fileMenu->addAction(QStringLiteral("&Open"), this, &TfrmPictaron::mnuFileOpenClick);
    open->setShortcut(QKeySequence::Open);
    fileMenu->addSeparator();
    fileMenu->addAction(QStringLiteral("Exit"), this, &QWidget::close);

    auto* tools = addToolBar(QStringLiteral("Tools"));
    tools->setMovable(false);
    tools->addAction(open);
    actApply_ = tools->addAction(QStringLiteral("&Apply Changes"), this, &TfrmPictaron::btnGoClick);
    actApply_->setToolTip(QStringLiteral("Make a new image from the original"));
    actApply_->setEnabled(false);
    tools->addSeparator();
    tools->addWidget(new QLabel(QStringLiteral(" Quality "), tools));
    txtCompression_ = new QSpinBox(tools);
    txtCompression_->setRange(1, 100);
    txtCompression_->setValue(80);
    tools->addWidget(txtCompression_);
    chkProgressive_ = new QCheckBox(QStringLiteral("&Progressive Encoding"), tools);
    chkGreyscale_ = new QCheckBox(QStringLiteral("&Grayscale"), tools);
    tools->addWidget(chkProgressive_);
    tools->addWidget(chkGreyscale_);

    lblSourceInfo_ = InfoLabel(this);
    lblDestInfo_ = InfoLabel(this);
    imgSource_ = new QLabel(this);
    imgDest_ = new QLabel(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(PicturePanel(lblSourceInfo_, imgSource_, splitter));
    splitter->addWidget(PicturePanel(lblDestInfo_, imgDest_, splitter));

    downloadTimes_ = new QLabel(this);
    progressBar_ = new QProgressBar(this);
    progressBar_->setRange(0, 100);
    progressBar_->hide();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(splitter, 1);
    layout->addWidget(downloadTimes_);
    layout->addWidget(progressBar_);
    setCentralWidget(central);

    connect(&runs_, &RunController::Started, this, [this] {
        downloadTimes_->hide();
        progressBar_->setValue(0);
        progressBar_->setFormat(QString());
        progressBar_->show();
    });
    connect(&runs_, &RunController::ProgressChanged, this, [this](const QString& text, int percent) {
        progressBar_->setFormat(text.isEmpty() ? QStringLiteral("%p%") : text + QStringLiteral(" %p%"));
        progressBar_->setValue(percent);
    });
    connect(&runs_, &RunController::Succeeded, this, &TfrmPictaron::ShowResult);
    connect(&runs_, &RunController::Failed, this,
            [this](const QString& message) { QMessageBox::critical(this, QStringLiteral("Pictaron"), message); });
    connect(&runs_, &RunController::Finished, this, [this] {
        progressBar_->hide();
        downloadTimes_->show();
    });
}

void TfrmPictaron::OpenPicture(const QString& path)
{
    QImage picture;
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        picture = ilPreview.Load(path);
        QApplication::restoreOverrideCursor();
    } catch (const PictaronError& error) {
        QApplication::restoreOverrideCursor();
        QMessageBox::critical(this, QStringLiteral("Pictaron"), error.message());
        return;
    }
    original_ = picture;
    originalSize_ = QFileInfo(path).size();
    imgSource_->setPixmap(QPixmap::fromImage(original_));
    imgSource_->adjustSize();
    imgDest_->clear();
    lblSourceInfo_->setText(LabelText(OpenedSourceInfo(path, originalSize_, original_)));
    lblDestInfo_->setText(QStringLiteral(" \n "));
    downloadTimes_->setText(DownloadTimeItems(originalSize_, -1, false).join(QStringLiteral("   ")));
    actApply_->setEnabled(true);
}

void TfrmPictaron::mnuFileOpenClick()
{
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open"), QString(),
        QStringLiteral("Graphics Files (*.gif *.jpg *.jpeg *.tif *.tiff *.bmp *.pcx *.png *.tga);;All Files (*)"));
    if (!path.isEmpty())
        OpenPicture(path);
}

ConversionSettings TfrmPictaron::GatherSettings() const
{
    ConversionSettings settings;
    settings.jpegQuality = txtCompression_->value();
    settings.progressive = chkProgressive_->isChecked();
    settings.greyscale = chkGreyscale_->isChecked();
    return settings;
}

void TfrmPictaron::btnGoClick()
{
    if (!original_.isNull())
        runs_.Start(original_, GatherSettings());
}

void TfrmPictaron::ShowResult(const EncodedResult& result)
{
    imgDest_->setPixmap(QPixmap::fromImage(result.picture));
    imgDest_->adjustSize();
    const QString description = result.description.isEmpty() ? DescribePicture(result.picture) : result.description;
    lblDestInfo_->setText(LabelText(BuildResultInfo(result.size, description, originalSize_, QString(), true).longText));
    downloadTimes_->setText(DownloadTimeItems(originalSize_, result.size, true).join(QStringLiteral("   ")));
}

void TfrmPictaron::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && runs_.IsRunning()) {
        runs_.Cancel();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TfrmPictaron::closeEvent(QCloseEvent* event)
{
    runs_.Cancel();
    runs_.WaitForFinished();
    event->accept();
}

} // namespace pictaron
