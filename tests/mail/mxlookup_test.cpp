// MX queries against a real DNS server (dnsmasq on loopback) and against one
// that never answers.
#include "mail/curltransfer.h"
#include "mail/mxlookup.h"
#include "peers.h"
#include "printing.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using namespace pictaron;
using namespace pictaron::test;

namespace {

// A UDP socket on loopback that takes queries and never answers.
class SilentDnsServer {
public:
    SilentDnsServer() : fd_(::socket(AF_INET, SOCK_DGRAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentDnsServer() { ::close(fd_); }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

private:
    int fd_;
    int port_ = 0;
};

// Sources naming no system server and no web list, so only the given list
// reaches the lookup: the resolver configuration is a file of our own.
class MxLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (DnsPeer::Program().isEmpty())
            GTEST_SKIP() << "dnsmasq is not installed (package dnsmasq-base)";
        ASSERT_TRUE(InitNetworkLibraries());
        ASSERT_TRUE(dns.Start()) << dns.error().toStdString();
    }

    DnsServerSources SourcesNaming(const QStringList& servers)
    {
        QFile file(folder.filePath("resolv.conf"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        for (const QString& server : servers)
            file.write("nameserver " + server.toUtf8() + "\n");
        DnsServerSources sources;
        sources.resolverConfig = file.fileName();
        sources.serverListUrl.clear();
        return sources;
    }

    DnsPeer dns;
    QTemporaryDir folder;
    CancelFlag cancel;
    QStringList statuses;
    EmailStatus status = [this](const QString& text) { statuses << text; };
};

} // namespace

TEST_F(MxLookup, RecordsOfADomain)
{
    std::vector<MxRecord> records = QueryMx(dns.address(), "pictaron.test", 5000, cancel);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(MxEntries(records),
              QStringList({"   5|mx5.pictaron.test", "  20|mx20.pictaron.test"}));
}

TEST_F(MxLookup, DomainWithoutMailServerAndUnknownDomain)
{
    EXPECT_TRUE(QueryMx(dns.address(), "nomx.test", 5000, cancel).empty());
    EXPECT_TRUE(QueryMx(dns.address(), "unknown.test", 5000, cancel).empty());
}

TEST_F(MxLookup, FindMailServersMovesOnFromAServerThatNeverAnswers)
{
    SilentDnsServer silent;
    const QStringList entries = FindMailServers(
        "me@pictaron.test", SourcesNaming({silent.address(), dns.address()}), 300, cancel, status);
    EXPECT_EQ(entries, QStringList({"   5|mx5.pictaron.test", "  20|mx20.pictaron.test"}));
    EXPECT_EQ(statuses, QStringList({"Building DNS list", "1/2 " + silent.address(),
                                     "2/2 " + dns.address(), "DNS OK!"}));
}

TEST_F(MxLookup, FindMailServersStopsAtTheFirstAnswerWithRecords)
{
    const QStringList entries = FindMailServers(
        "pictaron.test", SourcesNaming({dns.address(), dns.address()}), 5000, cancel, status);
    EXPECT_EQ(entries.size(), 2);
    EXPECT_EQ(statuses, QStringList({"Building DNS list", "1/2 " + dns.address(), "DNS OK!"}));
}

TEST_F(MxLookup, NoEntriesWithoutMailServerOrDomain)
{
    EXPECT_TRUE(
        FindMailServers("me@nomx.test", SourcesNaming({dns.address()}), 5000, cancel, status)
            .isEmpty());
    EXPECT_EQ(statuses.last(), "1/1 " + dns.address());
    statuses.clear();
    EXPECT_TRUE(FindMailServers("me@", SourcesNaming({dns.address()}), 5000, cancel, status).isEmpty());
    EXPECT_EQ(statuses, QStringList({"Building DNS list"}));
}

TEST_F(MxLookup, CancelEndsAWaitingQuery)
{
    SilentDnsServer silent;
    std::vector<MxRecord> records{{1, "placeholder"}};
    // A minute's time-out: only the cancel flag can end this query in time.
    std::thread lookup([&] { records = QueryMx(silent.address(), "pictaron.test", 60000, cancel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    cancel.Cancel();
    lookup.join();
    EXPECT_TRUE(records.empty());
}

TEST(MxEntries, ByPreferenceThenHostWithoutRegardToCase)
{
    EXPECT_EQ(MxEntries({{20, "b.test"}, {10000, "big.test"}, {1000, "k.test"}, {20, "A.test"},
                         {5, "z.test"}}),
              QStringList({"   5|z.test", "  20|A.test", "  20|b.test", "1000|k.test",
                           "10000|big.test"}));
}
