// Where the DNS servers come from: the resolver configuration, then the list
// on a web server (Python's http.server on loopback).
#include "mail/curltransfer.h"
#include "mail/dnsservers.h"
#include "peers.h"
#include "printing.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace pictaron;
using namespace pictaron::test;

TEST(DnsServers, ResolverConfiguration)
{
    EXPECT_EQ(ResolverConfigServers("# managed\nsearch lan\nnameserver 10.0.0.1\n"
                                    "nameserver\t::1  # second\n; nameserver 9.9.9.9\n"
                                    "options ndots:2\nnameserver\n  nameserver 10.0.0.2"),
              QStringList({"10.0.0.1", "::1", "10.0.0.2"}));
    EXPECT_TRUE(ResolverConfigServers("").isEmpty());
}

TEST(DnsServers, ServerListAndRegistryValues)
{
    EXPECT_EQ(ServerListEntries("1.1.1.1, 8.8.8.8,\r\n9.9.9.9\r\n"),
              QStringList({"1.1.1.1", "8.8.8.8", "9.9.9.9"}));
    EXPECT_TRUE(ServerListEntries("").isEmpty());
    EXPECT_EQ(NameServerValueEntries("10.0.0.1 10.0.0.2"), QStringList({"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(NameServerValueEntries("10.0.0.1,10.0.0.2"), QStringList({"10.0.0.1", "10.0.0.2"}));
    EXPECT_TRUE(NameServerValueEntries("").isEmpty());
}

namespace {

class DnsServerList : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InitNetworkLibraries());
        sources.resolverConfig = folder.filePath("resolv.conf"); // absent for now
    }

    void WriteResolverConfig(const QByteArray& text)
    {
        QFile file(sources.resolverConfig);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir folder;
    DnsServerSources sources;
    CancelFlag cancel;
};

} // namespace

TEST_F(DnsServerList, SystemServersComeFirstAndAlone)
{
    WriteResolverConfig("nameserver 192.0.2.1\nnameserver 192.0.2.2\n");
    // Were the web list asked, this unreachable address would only cost time.
    sources.serverListUrl = QStringLiteral("http://127.0.0.1:%1/dnsip/dnsip.dat").arg(FreePort());
    EXPECT_EQ(ListDnsServers(sources, cancel), QStringList({"192.0.2.1", "192.0.2.2"}));
}

TEST_F(DnsServerList, WebListWhenTheSystemNamesNone)
{
    HttpPeer http;
    ASSERT_TRUE(http.Start()) << http.error().toStdString();
    http.Put("dnsip/dnsip.dat", "192.0.2.7,192.0.2.8:5353\r\n");
    sources.serverListUrl = http.Url("dnsip/dnsip.dat");
    EXPECT_EQ(ListDnsServers(sources, cancel), QStringList({"192.0.2.7", "192.0.2.8:5353"}));

    WriteResolverConfig("# no servers here\n");
    EXPECT_EQ(ListDnsServers(sources, cancel), QStringList({"192.0.2.7", "192.0.2.8:5353"}));

    // A missing file is an HTTP error, not a list.
    sources.serverListUrl = http.Url("dnsip/missing.dat");
    EXPECT_TRUE(ListDnsServers(sources, cancel).isEmpty());
}

TEST_F(DnsServerList, UnreachableOrNoWebListGivesNoServers)
{
    sources.serverListUrl = QStringLiteral("http://127.0.0.1:%1/dnsip/dnsip.dat").arg(FreePort());
    EXPECT_TRUE(ListDnsServers(sources, cancel).isEmpty());
    sources.serverListUrl.clear();
    EXPECT_TRUE(ListDnsServers(sources, cancel).isEmpty());
}
