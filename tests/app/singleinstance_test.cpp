// A second start of the program reaching the first.
#include "app/singleinstance.h"

#include <QSignalSpy>
#include <QtTest>

using namespace pictaron;

class SingleInstanceTest : public QObject {
    Q_OBJECT
private slots:
    void requestReachesTheFirstInstance();
    void nobodyListeningMeansStartNormally();
    void emptyRequestAndOversizedRequest();

private:
    // A name of this test's own, so a running Pictaron is never disturbed.
    QString Name() const { return QStringLiteral("pictaron-test-%1").arg(QCoreApplication::applicationPid()); }
};

void SingleInstanceTest::requestReachesTheFirstInstance()
{
    SingleInstance first(Name());
    QVERIFY(first.Listen());
    SingleInstance second(Name());
    QVERIFY(!second.Listen());  // the name is taken

    QSignalSpy received(&first, &SingleInstance::RequestReceived);
    QVERIFY(SingleInstance::SendToRunningInstance({QStringLiteral("[open]"), QStringLiteral("/pics/a b/ü.gif")}, Name()));
    QVERIFY(received.wait(5000));
    QCOMPARE(received.first().first().toStringList(),
             (QStringList{QStringLiteral("[open]"), QStringLiteral("/pics/a b/ü.gif")}));
}

void SingleInstanceTest::nobodyListeningMeansStartNormally()
{
    QVERIFY(!SingleInstance::SendToRunningInstance({QStringLiteral("/x.gif")}, Name() + QStringLiteral("-none"), 200));
}

void SingleInstanceTest::emptyRequestAndOversizedRequest()
{
    SingleInstance first(Name());
    QVERIFY(first.Listen());
    QSignalSpy received(&first, &SingleInstance::RequestReceived);
    QVERIFY(SingleInstance::SendToRunningInstance({}, Name()));
    QVERIFY(received.wait(5000));
    QVERIFY(received.first().first().toStringList().isEmpty());  // bring the window forward only

    // Not a request of ours: dropped without a word.
    received.clear();
    QVERIFY(SingleInstance::SendToRunningInstance({QString(100000, QLatin1Char('x'))}, Name()));
    QVERIFY(!received.wait(1000));
}

QTEST_MAIN(SingleInstanceTest)
#include "singleinstance_test.moc"
