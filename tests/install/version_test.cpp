// The About box names the version that pictaron-cli --version prints: one
// number for the whole program, whichever window or command shows it.
#include "app/splash.h"

#include <QLabel>
#include <QProcess>
#include <QtTest>

class VersionTest : public QObject {
    Q_OBJECT
private slots:
    void AboutBoxShowsTheCommandLineVersion()
    {
        QProcess cli;
        cli.start(QStringLiteral(PICTARON_CLI), {QStringLiteral("--version")});
        QVERIFY(cli.waitForFinished(120000));
        QCOMPARE(cli.exitCode(), 0);
        const QString printed = QString::fromUtf8(cli.readAllStandardOutput()).trimmed();
        const QString prefix = QStringLiteral("pictaron-cli ");
        QVERIFY2(printed.startsWith(prefix), qPrintable(printed));
        const QString version = printed.mid(prefix.size());
        QVERIFY(!version.isEmpty());

        pictaron::TfrmSplash about;
        const auto* label = about.findChild<QLabel*>(QStringLiteral("lblVersion"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Version ") + version);
    }
};

QTEST_MAIN(VersionTest)
#include "version_test.moc"
