#include "mail/dnsservers.h"

#include "mail/curltransfer.h"

#include <QFile>
#include <QRegularExpression>
#include <QSettings>

namespace pictaron {

namespace {

// A server list is a line of addresses; anything much longer is not one.
constexpr qsizetype kServerListLimit = 64 * 1024;

struct Download {
    QByteArray bytes;
    bool tooLong = false;
};

size_t Receive(char* data, size_t size, size_t count, void* userData)
{
    auto* download = static_cast<Download*>(userData);
    const size_t n = size * count;
    if (download->bytes.size() + qsizetype(n) > kServerListLimit) {
        download->tooLong = true;
        return 0; // ends the transfer with an error
    }
    download->bytes.append(data, qsizetype(n));
    return n;
}

} // namespace

QString DefaultServerListUrl()
{
    return QStringLiteral(PICTARON_SERVER_LIST_URL);
}

QStringList ResolverConfigServers(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList servers;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QStringList words = line.split(blanks, Qt::SkipEmptyParts);
        if (words.size() >= 2 && words.at(0) == QLatin1String("nameserver"))
            servers << words.at(1);
    }
    return servers;
}

QStringList ServerListEntries(const QByteArray& received)
{
    // Commas separate the addresses; a line break does too, so that a list
    // written one address a line still gives clean addresses.
    static const QRegularExpression separators(QStringLiteral("[,\\r\\n]"));
    QStringList entries;
    for (const QString& entry : QString::fromUtf8(received).split(separators)) {
        const QString trimmed = entry.trimmed();
        if (!trimmed.isEmpty())
            entries << trimmed;
    }
    return entries;
}

QStringList NameServerValueEntries(const QString& value)
{
    static const QRegularExpression separators(QStringLiteral("[ ,]+"));
    return value.split(separators, Qt::SkipEmptyParts);
}

QStringList SystemDnsServers(const DnsServerSources& sources)
{
#ifdef Q_OS_WIN
    Q_UNUSED(sources);
    const QSettings tcpip(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"),
        QSettings::NativeFormat);
    return NameServerValueEntries(tcpip.value(QStringLiteral("NameServer")).toString())
           + NameServerValueEntries(tcpip.value(QStringLiteral("DhcpNameServer")).toString());
#else
    QFile file(sources.resolverConfig);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return ResolverConfigServers(QString::fromUtf8(file.readAll()));
#endif
}

QStringList ListDnsServers(const DnsServerSources& sources, const CancelFlag& cancel)
{
    QStringList servers = SystemDnsServers(sources);
    if (servers.isEmpty() && !sources.serverListUrl.isEmpty()) {
        if (const auto list = FetchServerList(sources.serverListUrl, sources.httpTimeoutMs, cancel))
            servers << ServerListEntries(*list);
    }
    return servers;
}

std::optional<QByteArray> FetchServerList(const QString& url, int timeoutMs,
                                          const CancelFlag& cancel)
{
    CurlEasy easy(curl_easy_init());
    if (!easy)
        return std::nullopt;
    CURL* e = easy.get();
    const QByteArray address = url.toUtf8();
    Download download;
    curl_easy_setopt(e, CURLOPT_URL, address.constData());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(e, CURLOPT_USERAGENT, "Orvanti Software Email-A-Friend");
    curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(e, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, long(timeoutMs));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, Receive);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &download);
    if (RunTransfer(e, cancel).outcome != TransferOutcome::Done || download.tooLong)
        return std::nullopt;
    return download.bytes;
}

} // namespace pictaron
