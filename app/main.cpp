#include "app/busycursor.h"
#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvanti"));
    QApplication::setApplicationName(QStringLiteral("Pictaron"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pictaron"));
    QApplication::setApplicationVersion(QStringLiteral(PICTARON_VERSION));

    pictaron::BusyCursor busyCursor;
    pictaron::SetBusyIndicator(&busyCursor);

    pictaron::TfrmPictaron window;
    const QStringList arguments = QApplication::arguments();
    window.Start(arguments.size() > 1 ? arguments.at(1) : QString());
    return app.exec();
}
