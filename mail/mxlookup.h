// The mail servers of a domain: MX queries with c-ares, asked of one DNS
// server after the other until one answers with records.
#pragma once

#include "app/progress.h"
#include "mail/dnsservers.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace pictaron {

// Receives the progress texts of a delivery ("Building DNS list", "1/2 …",
// "DNS OK!", "Sending through …"); called on the worker's thread.
using EmailStatus = std::function<void(const QString&)>;

inline constexpr int kDnsTimeoutMs = 10000;

struct MxRecord {
    int preference = 0;
    QString host;
};

// Asks one server ("address", "address:port" or "[IPv6]:port") for the MX
// records of domain. Any error, a time-out or the cancel flag gives no records.
// Waits for the network: never called on the GUI thread.
std::vector<MxRecord> QueryMx(const QString& server, const QString& domain, int timeoutMs,
                              const CancelFlag& cancel);

// The records as entries "%4d|host", by ascending preference and then by host
// name without regard to case.
QStringList MxEntries(std::vector<MxRecord> records);

// The domain of the sender's address (the text after its first "@", the whole
// text without one), the DNS servers of ListDnsServers asked in order, each
// for at most timeoutMs, and the entries of the first answer with records.
// No entries when no server answers with one, or when cancelled.
QStringList FindMailServers(const QString& senderAddress, const DnsServerSources& sources,
                            int timeoutMs, const CancelFlag& cancel, const EmailStatus& status);

} // namespace pictaron
