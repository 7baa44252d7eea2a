// The whole delivery against real servers on loopback: the DNS server list
// from http.server, the mail servers from dnsmasq, the message taken by
// aiosmtpd, whose record of what arrived (read back by Python's own email
// parser) is the reference.
#include "mail/delivery.h"
#include "peers.h"
#include "printing.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using namespace pictaron;
using namespace pictaron::test;

namespace {

FriendTexts Texts()
{
    return {QStringLiteral("Pictaron"), QStringLiteral("https://dl.example/p"),
            QStringLiteral("a tool for pictures."), QStringLiteral("It does things.")};
}

// The header values of a received message by name; several for a name that
// came more than once.
QStringList Headers(const QJsonObject& received, const QString& name)
{
    QStringList values;
    for (const QJsonValue& pair : received["headers"].toArray())
        if (pair.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
            values << pair.toArray().at(1).toString();
    return values;
}

QString WithLf(QString text)
{
    return text.replace("\r\n", "\n");
}

class Delivery : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (DnsPeer::Program().isEmpty())
            GTEST_SKIP() << "dnsmasq is not installed (package dnsmasq-base)";
        if (!SmtpPeer::Available())
            GTEST_SKIP() << "aiosmtpd is not installed for /usr/bin/python3 (package python3-aiosmtpd)";
        ASSERT_TRUE(dns.Start()) << dns.error().toStdString();
        ASSERT_TRUE(http.Start()) << http.error().toStdString();
        http.Put("dnsip/dnsip.dat", dns.address().toUtf8());
        settings.dnsServers.resolverConfig = "/nonexistent/resolv.conf";
        settings.dnsServers.serverListUrl = http.Url("dnsip/dnsip.dat");
        settings.dnsTimeoutMs = 5000;
    }

    // mx5.pictaron.test (tried first) and mx20.pictaron.test lead to these.
    void MailServers(SmtpPeer& mx5, SmtpPeer& mx20)
    {
        settings.smtp.connectTo = {mx5.ConnectTo("mx5.pictaron.test"),
                                   mx20.ConnectTo("mx20.pictaron.test")};
    }

    DeliveryResult Deliver(const MailMessage& message)
    {
        return DeliverMail(message, settings, cancel, [this](const QString& text) {
            statuses << text;
        });
    }

    static QJsonObject Only(const SmtpPeer& server)
    {
        const QStringList received = server.Received();
        EXPECT_EQ(received.size(), 1);
        return received.isEmpty() ? QJsonObject()
                                  : QJsonDocument::fromJson(received.first().toUtf8()).object();
    }

    DnsPeer dns;
    HttpPeer http;
    DeliverySettings settings;
    CancelFlag cancel;
    QStringList statuses;
};

} // namespace

TEST_F(Delivery, DroppedByTheFirstServerTakenByTheSecond)
{
    SmtpPeer mx5, mx20;
    ASSERT_TRUE(mx5.Start("drop")) << mx5.error().toStdString();
    ASSERT_TRUE(mx20.Start()) << mx20.error().toStdString();
    MailServers(mx5, mx20);

    // Non-ASCII name and subject, a line of its own holding a dot, a long
    // line, "=" and trailing blanks: all must arrive as typed.
    const QString personal = QString::fromUtf8("Zoë says: try it!\n.\na=b  \n") + QString(300, 'L');
    const MailMessage message = MakeFriendMail(
        {QString::fromUtf8("Pictarön"), Texts().downloadAddress, Texts().description,
         Texts().featureSentence},
        {QString::fromUtf8("Zoë Ünal"), "Bob", personal, true}, "zoe@pictaron.test", "bob@friend.test");
    const DeliveryResult result = Deliver(message);
    ASSERT_EQ(result.outcome, DeliveryOutcome::Sent) << result.errorText.toStdString();

    EXPECT_EQ(statuses, QStringList({"Building DNS list", "1/1 " + dns.address(), "DNS OK!",
                                     "Sending through mx5.pictaron.test",
                                     "Sending through mx20.pictaron.test"}));
    EXPECT_TRUE(mx5.Received().isEmpty());
    const QJsonObject got = Only(mx20);
    EXPECT_EQ(got["mail_from"].toString(), "zoe@pictaron.test");
    EXPECT_EQ(got["rcpt_tos"].toArray(), QJsonArray({"bob@friend.test"}));
    EXPECT_EQ(Headers(got, "From"), QStringList({QString::fromUtf8("Zoë Ünal <zoe@pictaron.test>")}));
    EXPECT_EQ(Headers(got, "To"), QStringList({"bob@friend.test"}));
    EXPECT_EQ(Headers(got, "Subject"), QStringList({QString::fromUtf8("Pictarön is available for you.")}));
    EXPECT_EQ(Headers(got, "Date").size(), 1);
    EXPECT_EQ(Headers(got, "Message-ID").size(), 1);
    EXPECT_TRUE(Headers(got, "Message-ID").value(0).endsWith("@pictaron.test>"));
    EXPECT_EQ(got["content_type"].toString(), "text/html");
    EXPECT_EQ(got["charset"].toString(), "utf-8");
    EXPECT_EQ(WithLf(got["body"].toString()), WithLf(message.body.text) + "\n");
    EXPECT_TRUE(WithLf(got["body"].toString()).contains(QString::fromUtf8("<PRE>\nZoë says: try it!\n.\n")));
    for (const QString& line : got["raw"].toString().split("\r\n"))
        EXPECT_LE(line.size(), 998);
}

TEST_F(Delivery, PlainTextWithAnInjectedNameKeepsOneRecipient)
{
    SmtpPeer mx5, mx20;
    ASSERT_TRUE(mx5.Start()) << mx5.error().toStdString();
    ASSERT_TRUE(mx20.Start()) << mx20.error().toStdString();
    MailServers(mx5, mx20);

    const MailMessage message =
        MakeFriendMail(Texts(), {"Ann\r\nBcc: evil@evil.test\r\n", "Bob", "", false},
                       "pictaron.test", "bob@friend.test");
    ASSERT_EQ(Deliver(message).outcome, DeliveryOutcome::Sent);
    EXPECT_TRUE(mx20.Received().isEmpty());
    const QJsonObject got = Only(mx5);
    EXPECT_EQ(got["mail_from"].toString(), "pictaron.test");
    EXPECT_EQ(got["rcpt_tos"].toArray(), QJsonArray({"bob@friend.test"}));
    EXPECT_TRUE(Headers(got, "Bcc").isEmpty());
    EXPECT_EQ(Headers(got, "From"), QStringList({"\"Ann  Bcc: evil@evil.test  \" <pictaron.test>"}));
    EXPECT_EQ(got["content_type"].toString(), "text/plain");
    EXPECT_EQ(WithLf(got["body"].toString()), WithLf(message.body.text));
}

TEST_F(Delivery, InjectedRecipientIsRefusedUnsent)
{
    SmtpPeer mx5, mx20;
    ASSERT_TRUE(mx5.Start()) << mx5.error().toStdString();
    ASSERT_TRUE(mx20.Start()) << mx20.error().toStdString();
    MailServers(mx5, mx20);

    const DeliveryResult result =
        Deliver(MakeFriendMail(Texts(), {"Ann", "Bob", "", false}, "ann@pictaron.test",
                               "bob@friend.test>\r\nRCPT TO:<evil@evil.test"));
    EXPECT_EQ(result.outcome, DeliveryOutcome::Failed);
    EXPECT_EQ(result.errorText, RecipientAddressProblemText());
    EXPECT_TRUE(statuses.isEmpty());
    EXPECT_TRUE(mx5.Received().isEmpty());
    EXPECT_TRUE(mx20.Received().isEmpty());
}

TEST_F(Delivery, ASilentServerTimesOutAndTheNextIsTried)
{
    // A listening socket: connections are taken by the system, but no
    // greeting ever comes.
    const int silent = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 4), 0);
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    SmtpPeer mx20;
    ASSERT_TRUE(mx20.Start()) << mx20.error().toStdString();
    settings.smtp.connectTo = {QStringLiteral("mx5.pictaron.test:25:127.0.0.1:%1")
                                   .arg(ntohs(address.sin_port)),
                               mx20.ConnectTo("mx20.pictaron.test")};
    settings.smtp.timeoutMs = 1000;

    const DeliveryResult result =
        Deliver(MakeFriendMail(Texts(), {"Ann", "Bob", "", false}, "ann@pictaron.test", "b@f.test"));
    ::close(silent);
    EXPECT_EQ(result.outcome, DeliveryOutcome::Sent) << result.errorText.toStdString();
    EXPECT_EQ(statuses.mid(3), QStringList({"Sending through mx5.pictaron.test",
                                            "Sending through mx20.pictaron.test"}));
    EXPECT_EQ(mx20.Received().size(), 1);
}

TEST_F(Delivery, EveryServerFailingGivesTheLastError)
{
    SmtpPeer mx5, mx20;
    ASSERT_TRUE(mx5.Start("drop")) << mx5.error().toStdString();
    ASSERT_TRUE(mx20.Start("drop")) << mx20.error().toStdString();
    MailServers(mx5, mx20);

    const DeliveryResult result =
        Deliver(MakeFriendMail(Texts(), {"Ann", "Bob", "", false}, "ann@pictaron.test", "b@f.test"));
    EXPECT_EQ(result.outcome, DeliveryOutcome::Failed);
    const QString tail =
        "\r\nYou can still send the message to your friend.  Click the \"To Clipboard\" button "
        "and the email message will be put in the Windows Clipboard.  You can then paste it into "
        "a regular email to your friend.";
    ASSERT_TRUE(result.errorText.endsWith(tail)) << result.errorText.toStdString();
    EXPECT_GT(result.errorText.size(), tail.size()) << "libcurl's own words come first";
    EXPECT_EQ(statuses.mid(3), QStringList({"Sending through mx5.pictaron.test",
                                            "Sending through mx20.pictaron.test"}));
}

TEST_F(Delivery, NoMailServerGivesTheDnsServerMessage)
{
    const DeliveryResult result =
        Deliver(MakeFriendMail(Texts(), {"Ann", "Bob", "", false}, "ann@nomx.test", "b@f.test"));
    EXPECT_EQ(result.outcome, DeliveryOutcome::Failed);
    EXPECT_EQ(result.errorText,
              "A DNS server cannot be found but you can still send the message to your friend.  "
              "Click the \"To Clipboard\" button and the email message will be put in the Windows "
              "Clipboard.  You can then paste it into a regular email to your friend.");

    // No server list at all: the same message.
    settings.dnsServers.serverListUrl = http.Url("dnsip/none.dat");
    statuses.clear();
    EXPECT_EQ(Deliver(MakeFriendMail(Texts(), {"", "", "", false}, "ann@pictaron.test", "b@f.test"))
                  .errorText,
              DnsServerMessage());
    EXPECT_EQ(statuses, QStringList({"Building DNS list"}));
}

TEST_F(Delivery, CancelEndsASlowConversation)
{
    SmtpPeer mx5, mx20;
    ASSERT_TRUE(mx5.Start("slow")) << mx5.error().toStdString();
    ASSERT_TRUE(mx20.Start()) << mx20.error().toStdString();
    MailServers(mx5, mx20);

    std::optional<DeliveryResult> result;
    std::thread worker([&] {
        result = Deliver(MakeFriendMail(Texts(), {"Ann", "Bob", "", false}, "ann@pictaron.test",
                                        "bob@friend.test"));
    });
    // Cancel once the slow server holds the whole message and keeps us waiting.
    const QString waiting = mx5.Folder() + "/waiting";
    for (int i = 0; i < 400 && !QFile::exists(waiting); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(QFile::exists(waiting));
    cancel.Cancel();
    worker.join();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->outcome, DeliveryOutcome::Cancelled);
    // The conversation ended before the server's answer, and nothing went
    // on to the next server.
    EXPECT_FALSE(mx5.Answered());
    EXPECT_TRUE(mx20.Received().isEmpty());
}
