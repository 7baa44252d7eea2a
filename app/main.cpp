#include "app/busycursor.h"
#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvanti"));
    QApplication::setApplicationName(QStringLiteral("Pictaron"));
    QApplication::setApplicationVersion(QStringLiteral(PICTARON_VERSION));

    pictaron::BusyCursor busyCursor;
    pictaron::SetBusyIndicator(&busyCursor);

    pictaron::TfrmPictaron window;
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.OpenPicture(arguments.at(1));
    return app.exec();
}
