#include "mail/mxlookup.h"

#include "mail/mailmessage.h"

#include <ares.h>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/select.h>
#endif

#include <algorithm>
#include <chrono>

namespace pictaron {

namespace {

constexpr int kClassInternet = 1;
constexpr int kTypeMx = 15;
// How long one wait for the DNS server lasts before the cancel flag and the
// deadline are looked at again.
constexpr int kPollSliceMs = 50;

struct Answer {
    bool done = false;
    std::vector<MxRecord> records;
};

void OnAnswer(void* arg, int status, int, unsigned char* buffer, int length)
{
    auto* answer = static_cast<Answer*>(arg);
    answer->done = true;
    ares_mx_reply* replies = nullptr;
    if (status != ARES_SUCCESS || ares_parse_mx_reply(buffer, length, &replies) != ARES_SUCCESS)
        return;
    for (const ares_mx_reply* reply = replies; reply; reply = reply->next)
        answer->records.push_back({reply->priority, QString::fromUtf8(reply->host)});
    ares_free_data(replies);
}

// c-ares wants an IPv6 address in brackets when a port may follow.
QByteArray ServerForAres(const QString& server)
{
    if (server.count(QLatin1Char(':')) > 1 && !server.startsWith(QLatin1Char('[')))
        return '[' + server.toUtf8() + ']';
    return server.toUtf8();
}

} // namespace

std::vector<MxRecord> QueryMx(const QString& server, const QString& domain, int timeoutMs,
                              const CancelFlag& cancel)
{
    ares_options options{};
    options.timeout = timeoutMs;
    options.tries = 1;
    ares_channel channel = nullptr;
    if (ares_init_options(&channel, &options, ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES) != ARES_SUCCESS)
        return {};
    Answer answer;
    if (ares_set_servers_ports_csv(channel, ServerForAres(server).constData()) != ARES_SUCCESS) {
        ares_destroy(channel);
        return {};
    }
    ares_query(channel, domain.toUtf8().constData(), kClassInternet, kTypeMx, OnAnswer, &answer);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!answer.done) {
        if (cancel.IsCancelled() || std::chrono::steady_clock::now() >= deadline) {
            ares_cancel(channel);
            break;
        }
        fd_set readable;
        fd_set writable;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        const int count = ares_fds(channel, &readable, &writable);
        if (count == 0)
            break;
        timeval slice{0, kPollSliceMs * 1000};
        timeval wait{};
        select(count, &readable, &writable, nullptr, ares_timeout(channel, &slice, &wait));
        ares_process(channel, &readable, &writable);
    }
    ares_destroy(channel);
    // A cancelled query may have been answered in the same moment; the user
    // asked to stop, so nothing counts.
    if (cancel.IsCancelled())
        return {};
    return answer.records;
}

QStringList MxEntries(std::vector<MxRecord> records)
{
    // Sorting by the number rather than by the "%4d" text keeps preferences
    // of 10000 and more in order too.
    std::stable_sort(records.begin(), records.end(), [](const MxRecord& a, const MxRecord& b) {
        if (a.preference != b.preference)
            return a.preference < b.preference;
        return a.host.compare(b.host, Qt::CaseInsensitive) < 0;
    });
    QStringList entries;
    for (const MxRecord& record : records)
        entries << QString::asprintf("%4d|", record.preference) + record.host;
    return entries;
}

QStringList FindMailServers(const QString& senderAddress, const DnsServerSources& sources,
                            int timeoutMs, const CancelFlag& cancel, const EmailStatus& status)
{
    const QString domain = AddressDomain(senderAddress);
    status(QStringLiteral("Building DNS list"));
    const QStringList servers = ListDnsServers(sources, cancel);
    if (domain.isEmpty())
        return {};
    for (qsizetype i = 0; i < servers.size() && !cancel.IsCancelled(); ++i) {
        status(QStringLiteral("%1/%2 %3").arg(i + 1).arg(servers.size()).arg(servers.at(i)));
        const std::vector<MxRecord> records = QueryMx(servers.at(i), domain, timeoutMs, cancel);
        if (!records.empty()) {
            status(QStringLiteral("DNS OK!"));
            return MxEntries(records);
        }
    }
    return {};
}

} // namespace pictaron
