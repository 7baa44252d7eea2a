#include "app/busycursor.h"
#include "app/mainwindow.h"
#include "app/singleinstance.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvanti"));
    QApplication::setApplicationName(QStringLiteral("Pictaron"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pictaron"));
    QApplication::setApplicationVersion(QStringLiteral(PICTARON_VERSION));

    // A second start hands its file to the window already open, by its full
    // name since the two may not share a working folder, and ends.
    const QStringList arguments = QApplication::arguments();
    const QString file = arguments.size() > 1 ? QFileInfo(arguments.at(1)).absoluteFilePath() : QString();
    if (pictaron::SingleInstance::SendToRunningInstance(file.isEmpty() ? QStringList() : QStringList{file}))
        return 0;
    pictaron::SingleInstance instance;
    instance.Listen();

    pictaron::BusyCursor busyCursor;
    pictaron::SetBusyIndicator(&busyCursor);

    pictaron::TfrmPictaron window;
    QObject::connect(&instance, &pictaron::SingleInstance::RequestReceived, &window,
                     &pictaron::TfrmPictaron::PICTARONExecuteMacro);
    window.Start(file);
    return app.exec();
}
