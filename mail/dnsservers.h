// Where the mail-server lookup finds its DNS servers: the system's own
// settings first, then a list published on the maker's web server.
#pragma once

#include "app/progress.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace pictaron {

// The address of the maker's server list, a setting of the build.
QString DefaultServerListUrl();

struct DnsServerSources {
    // The resolver configuration read on systems other than Windows.
    QString resolverConfig = QStringLiteral("/etc/resolv.conf");
    // Asked only when the system names no server; empty skips the request.
    QString serverListUrl = DefaultServerListUrl();
    int httpTimeoutMs = 10000;
};

// The addresses of the "nameserver" lines of a resolver configuration.
QStringList ResolverConfigServers(const QString& text);

// The entries of a received server list: split at "," and at line breaks,
// each trimmed; empty entries are dropped.
QStringList ServerListEntries(const QByteArray& received);

// A Windows "NameServer" value: addresses separated by spaces (older
// settings) or commas (newer ones).
QStringList NameServerValueEntries(const QString& value);

// The system's DNS servers: on Windows the TCP/IP parameters "NameServer"
// then "DhcpNameServer", elsewhere the resolver configuration.
QStringList SystemDnsServers(const DnsServerSources& sources);

// The system's servers; when there are none, the web server's list (any
// failure of that request gives no servers). Never called on the GUI thread.
QStringList ListDnsServers(const DnsServerSources& sources, const CancelFlag& cancel);

// The body of an HTTP GET, or nothing on any failure. The request names
// itself "Orvanti Software Email-A-Friend" and goes through no proxy.
std::optional<QByteArray> FetchServerList(const QString& url, int timeoutMs,
                                          const CancelFlag& cancel);

} // namespace pictaron
