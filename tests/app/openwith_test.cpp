#include "app/openwith.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
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
