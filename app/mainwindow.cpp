// The main window: creation, closing, layout rules, keys and the Options and
// Help menus.
#include "app/mainwindow.h"

#include "app/appsettings.h"
#include "app/downloadtimelist.h"
#include "app/glyphs.h"
#include "app/help.h"
#include "app/infolabel.h"
#include "app/layoutrules.h"
#include "app/pictureview.h"
#include "app/splash.h"
#include "app/workfile.h"
#include "components/qtbridge.h"
#include "components/recentfilesmenu.h"
#include "components/settingstext.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace pictaron {

TfrmPictaron::TfrmPictaron(QWidget* parent)
    : QMainWindow(parent), settingsKey(OpenProgramSettings()), runs(WorkFilePath())
{
    setObjectName(QStringLiteral("frmPictaron"));
    setWindowTitle(QStringLiteral("Pictaron"));
    setWindowIcon(ProgramIcon());
    // Where Tahoma is missing, a font of about its width keeps the columns of
    // the download-time list and the tool bar captions in their places.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
                                QStringLiteral("Arial")});
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPixelSize(11);
    setFont(tahoma);

    tmrAutoSave = new QTimer(this);
    tmrAutoSave->setObjectName(QStringLiteral("tmrAutoSave"));
    tmrAutoSave->setSingleShot(true);
    tmrAutoSave->setInterval(2000);

    CreateMenus();
    mnuOptionsShowSplash->setChecked(ReadBoolSetting(*settingsKey, kSplashSetting, true));
    mnuOptionsConfirmDiscard->setChecked(ReadBoolSetting(*settingsKey, kConfirmDiscardSetting, true));
    mnuOptionsKeepOrientation->setChecked(ReadBoolSetting(*settingsKey, kKeepOrientationSetting, false));
    ilPreview.SetOptions(LoadOptions{!mnuOptionsKeepOrientation->isChecked(), true});
    recentFiles->LoadRecentFiles(*settingsKey);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    addToolBar(Qt::TopToolBarArea, CreateToolBar());
    mnuOptionsTodaysLines->setChecked(ReadBoolSetting(*settingsKey, kTodaysLinesSetting, false));
    cmbDownloadTime->SetTodaysLines(mnuOptionsTodaysLines->isChecked());
    FitDownloadArea();
    opt = BuildOptionPages(central);
    opt.PageControl1->setFixedHeight(opt.PageControl1->sizeHint().height());
    layout->addWidget(opt.PageControl1);
    layout->addWidget(CreateWorkArea(), 1);
    setCentralWidget(central);

    FillFixedLists();
    ConnectOptionHandlers();
    ConnectViewHandlers();
    ResetZoom();

    connect(tmrAutoSave, &QTimer::timeout, this, &TfrmPictaron::tmrAutoSaveTimer);
    connect(&runs, &RunController::Started, this, &TfrmPictaron::RunStarted);
    connect(&runs, &RunController::ProgressChanged, this, &TfrmPictaron::RunProgressChanged);
    connect(&runs, &RunController::Succeeded, this, &TfrmPictaron::RunSucceeded);
    connect(&runs, &RunController::Failed, this, &TfrmPictaron::RunFailed);
    connect(&runs, &RunController::Finished, this, &TfrmPictaron::RunFinished);

    // Keyboard preview: the window sees keys before its controls.
    qApp->installEventFilter(this);

    resize(597, 486);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TfrmPictaron::~TfrmPictaron()
{
    qApp->removeEventFilter(this);
}

void TfrmPictaron::Start(const QString& commandLineFile)
{
    const auto showWindow = [this, commandLineFile] {
        show();
        if (!commandLineFile.isEmpty())
            OpenPicture(commandLineFile);
    };
    if (mnuOptionsShowSplash->isChecked())
        TfrmSplash::ShowAtStart(showWindow);
    else
        showWindow();
}

void TfrmPictaron::closeEvent(QCloseEvent* event)
{
    if (!ConfirmDiscard()) {
        event->ignore();
        return;
    }
    runs.Cancel();
    runs.WaitForFinished();
    recentFiles->SaveRecentFiles(*settingsKey);
    settingsKey->sync();
    event->accept();
}

void TfrmPictaron::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    SplitPanels();
    PlaceZoomList();
    FitInfoLabel(lblSourceInfo);
    FitInfoLabel(lblDestInfo);
}

void TfrmPictaron::SplitPanels()
{
    const int sourceWidth = width() / 2 - 12;
    Splitter1->setSizes({sourceWidth, std::max(0, Splitter1->width() - Splitter1->handleWidth() - sourceWidth)});
}

bool TfrmPictaron::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            bool handled = false;
            FormKeyDown(static_cast<QKeyEvent*>(event), &handled);
            if (handled)
                return true;
        }
    }
    // The zoom list sits at the right end of the result label's row, and the
    // info captions fit their labels also after the splitter moved.
    if (watched == pnlDest && event->type() == QEvent::Resize) {
        PlaceZoomList();
        FitInfoLabel(lblSourceInfo);
        FitInfoLabel(lblDestInfo);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmPictaron::FormKeyDown(QKeyEvent* event, bool* handled)
{
    if (event->key() == Qt::Key_F6 && event->modifiers() == Qt::ControlModifier) {
        mnuEdit->menuAction()->setVisible(true);
        *handled = true;
    } else if (event->key() == Qt::Key_Escape && runs.IsRunning()) {
        runs.Cancel();
        *handled = true;
    } else if (event->key() == Qt::Key_F1) {
        ShowPageHelp();
        *handled = true;
    }
}

void TfrmPictaron::LayoutAfterLoad()
{
    imgSource->show();
    SplitPanels();
    progressBar->hide();

    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const WindowPlacement placement =
        PlaceAfterLoad(ToQSize(original.size()), height(), scrSource->height(), screen->availableGeometry());
    if (placement.maximise) {
        // The screen's size first: where nothing manages windows, maximising
        // is only a wish.
        setGeometry(screen->availableGeometry());
        showMaximized();
    } else {
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        resize(placement.bounds.size());
        move(placement.bounds.topLeft());
    }

    FitInfoLabel(lblSourceInfo);
    lblDestInfo->SetCaption(QStringLiteral(" \r\n "));
    resultFileName.clear();
    resultNameDerived = false;
    lblDestInfo->SetHint(QString());
    imgDest->hide();
    imgDest->Clear();
    ResetZoom();
    btnGo->setEnabled(true);
    mnuOptionsCompareFormats->setEnabled(true);
    mnuOptionsViewTiled->setEnabled(false);
    UpdateSaveCommands();
}

void TfrmPictaron::mnuOptionsShowSplashClick()
{
    WriteBoolSetting(*settingsKey, kSplashSetting, mnuOptionsShowSplash->isChecked());
    settingsKey->sync();
}

void TfrmPictaron::mnuOptionsConfirmDiscardClick()
{
    WriteBoolSetting(*settingsKey, kConfirmDiscardSetting, mnuOptionsConfirmDiscard->isChecked());
    settingsKey->sync();
}

// Takes effect with the next picture opened; the one shown stays as it is.
void TfrmPictaron::mnuOptionsKeepOrientationClick()
{
    ilPreview.SetOptions(LoadOptions{!mnuOptionsKeepOrientation->isChecked(), true});
    WriteBoolSetting(*settingsKey, kKeepOrientationSetting, mnuOptionsKeepOrientation->isChecked());
    settingsKey->sync();
}

void TfrmPictaron::mnuOptionsTodaysLinesClick()
{
    WriteBoolSetting(*settingsKey, kTodaysLinesSetting, mnuOptionsTodaysLines->isChecked());
    settingsKey->sync();
    cmbDownloadTime->SetTodaysLines(mnuOptionsTodaysLines->isChecked());
    FitDownloadArea();
    // Before any picture the list keeps its single item.
    if (!lblSourceInfo->Hint().isEmpty())
        RefreshDownloadTimes(resultSize >= 0);
}

void TfrmPictaron::mnuHelpContentsClick()
{
    ShowHelp(this, kHelpContents);
}

void TfrmPictaron::ShowPageHelp()
{
    const QWidget* page = opt.PageControl1->currentWidget();
    ShowHelp(this, page ? page->property(kHelpContextProperty).toInt() : kHelpContents);
}

void TfrmPictaron::mnuHelpAboutClick()
{
    TfrmSplash::ShowAbout(this);
}

} // namespace pictaron
