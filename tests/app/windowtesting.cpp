#include "windowtesting.h"

#include "app/mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QFile>
#include <QSignalSpy>

namespace pictaron::testing {

QString WritePicture(const QTemporaryDir& folder, const QString& name, QSize size, qint64 fileSize)
{
    QImage picture(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 255 / std::max(1, size.width() - 1), y * 255 / std::max(1, size.height() - 1), 90));
    const QString path = folder.filePath(name);
    picture.save(path, "PNG");
    if (fileSize > 0) {
        QFile file(path);
        if (file.size() > fileSize)
            qFatal("the test picture %s is already larger than %lld bytes", qPrintable(name), fileSize);
        file.open(QIODevice::Append);
        file.write(QByteArray(fileSize - file.size(), '\0'));
    }
    return path;
}

bool RunAndWait(TfrmPictaron& window)
{
    QSignalSpy finished(&window.Runs(), &RunController::Finished);
    window.btnGoClick();
    return finished.wait(20000);
}

bool OpenAndRunGif(TfrmPictaron& window, const QTemporaryDir& folder, QSize size)
{
    window.OpenPicture(WritePicture(folder, QStringLiteral("ramp.png"), size));
    window.Options().rbGIF->setChecked(true);
    return RunAndWait(window);
}

void ChooseZoom(TfrmPictaron& window, const QString& text)
{
    auto* zoom = window.findChild<QComboBox*>(QStringLiteral("cmbZoom"));
    zoom->setCurrentText(text);
    emit zoom->activated(zoom->currentIndex());
}

MessageBoxCatcher::MessageBoxCatcher()
{
    poll_.setInterval(20);
    connect(&poll_, &QTimer::timeout, this, [this] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible()) {
                texts << box->text();
                box->done(QMessageBox::Ok);
            }
        }
    });
    poll_.start();
}

} // namespace pictaron::testing
