#include "app/openwith.h"
#include "app/shellverb.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

using namespace pictaron;

TEST(OpenWith, ExecQuotesThePath)
{
    EXPECT_EQ(OpenWithExec(QStringLiteral("/usr/bin/pictaron")), QStringLiteral("\"/usr/bin/pictaron\" %f"));
    // A space needs the quotes; ", $, ` and \ take a backslash that the
    // string level doubles; % is doubled.
    EXPECT_EQ(OpenWithExec(QStringLiteral("/opt/my apps/pic\"ta$ron 100%")),
              QStringLiteral("\"/opt/my apps/pic\\\\\"ta\\\\$ron 100%%\" %f"));
}

TEST(OpenWith, RegisteringAddsTypesAndNeverRemovesThem)
{
    QTemporaryDir folder;
    const QString program = QStringLiteral("/home/me/pictaron/build/pictaron");
    RegisterOpenWith(MimeTypesOf(QStringLiteral("GIF")), program, folder.path());
    RegisterOpenWith(MimeTypesOf(QStringLiteral("JPEG")), program, folder.path());
    RegisterOpenWith(MimeTypesOf(QStringLiteral("GIF")), program, folder.path());

    QFile file(folder.filePath(kOpenWithEntryName));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    EXPECT_EQ(lines.first(), QStringLiteral("[Desktop Entry]"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Name=Open With Pictaron")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Exec=\"%1\" %f").arg(program)));
    EXPECT_TRUE(lines.contains(QStringLiteral("MimeType=image/gif;image/jpeg;")));
    EXPECT_TRUE(MimeTypesOf(QStringLiteral("TIFF")).isEmpty());

    // The platform's own checker of desktop files accepts it.
    QProcess check;
    check.start(QStringLiteral("desktop-file-validate"), {file.fileName()});
    ASSERT_TRUE(check.waitForStarted()) << "desktop-file-validate is missing (package desktop-file-utils)";
    check.waitForFinished();
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
}

TEST(ShellVerb, CommandKeepsTheCaseAndQuotesPathAndFile)
{
    EXPECT_EQ(ShellOpenCommand(QStringLiteral("/opt/My Apps/Pictaron")),
              QStringLiteral("\"/opt/My Apps/Pictaron\" \"%1\""));
    EXPECT_EQ(ShellExtensionsOf(QStringLiteral("JPEG")), (QStringList{QStringLiteral("JPG"), QStringLiteral("JPEG")}));
    EXPECT_TRUE(ShellExtensionsOf(QStringLiteral("PNG")).isEmpty());
}

TEST(ShellVerb, WrittenUnderTheTypeOfEachExtensionThatHasOne)
{
    // INI files stand in for the registry: the machine's classes, as written
    // by hand, and the user's classes, which receive the verbs.
    QTemporaryDir folder;
    QFile machine(folder.filePath(QStringLiteral("classes.ini")));
    ASSERT_TRUE(machine.open(QIODevice::WriteOnly));
    machine.write("[.gif]\nDefault=giffile\n[.jpg]\nDefault=jpegfile\n[.jpeg]\nDefault=jpegfile\n"
                  "[.png]\nDefault=\n");
    machine.close();
    const QSettings classes(machine.fileName(), QSettings::IniFormat);
    QSettings user(folder.filePath(QStringLiteral("user.ini")), QSettings::IniFormat);
    const QString program = QStringLiteral("/opt/My Apps/Pictaron");

    for (const QString& association : {QStringLiteral("GIF"), QStringLiteral("JPEG")})
        for (const QString& extension : ShellExtensionsOf(association))
            EXPECT_TRUE(RegisterShellVerb(classes, user, extension, program)) << extension.toStdString();
    // No registered type, or an empty one: nothing is written.
    EXPECT_FALSE(RegisterShellVerb(classes, user, QStringLiteral("BMP"), program));
    EXPECT_FALSE(RegisterShellVerb(classes, user, QStringLiteral("PNG"), program));

    const QSettings written(user.fileName(), QSettings::IniFormat);
    EXPECT_EQ(written.allKeys(), (QStringList{QStringLiteral("giffile/shell/Open With Pictaron/command/Default"),
                                              QStringLiteral("jpegfile/shell/Open With Pictaron/command/Default")}));
    EXPECT_EQ(written.value(QStringLiteral("jpegfile/shell/Open With Pictaron/command/Default")).toString(),
              ShellOpenCommand(program));
}

TEST(ShellVerb, AFailingStoreReportsFailure)
{
    QTemporaryDir folder;
    QFile machine(folder.filePath(QStringLiteral("classes.ini")));
    ASSERT_TRUE(machine.open(QIODevice::WriteOnly));
    machine.write("[.bmp]\nDefault=Paint.Picture\n");
    machine.close();
    const QSettings classes(machine.fileName(), QSettings::IniFormat);
    // A folder where the user's store should be: it cannot be written.
    QSettings user(folder.path(), QSettings::IniFormat);
    EXPECT_FALSE(RegisterShellVerb(classes, user, QStringLiteral("BMP"), QStringLiteral("/usr/bin/pictaron")));
}
