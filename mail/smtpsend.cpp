#include "mail/smtpsend.h"

#include <algorithm>
#include <cstring>

namespace pictaron {

namespace {

struct Upload {
    const QByteArray& bytes;
    qsizetype sent = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* userData)
{
    auto* upload = static_cast<Upload*>(userData);
    const size_t left = size_t(upload->bytes.size() - upload->sent);
    const size_t n = std::min(size * count, left);
    std::memcpy(buffer, upload->bytes.constData() + upload->sent, n);
    upload->sent += qsizetype(n);
    return n;
}

long WholeSeconds(int ms)
{
    return std::max(1L, long((ms + 999) / 1000));
}

} // namespace

TransferResult SendMail(const QString& host, const QString& sender, const QString& recipient,
                        const QByteArray& wireMessage, const SmtpSettings& settings,
                        const CancelFlag& cancel)
{
    CurlEasy easy(curl_easy_init());
    if (!easy)
        return {TransferOutcome::Failed, QString::fromUtf8(curl_easy_strerror(CURLE_OUT_OF_MEMORY))};
    CURL* e = easy.get();

    const QByteArray url = "smtp://" + host.toUtf8() + ":" + QByteArray::number(settings.port);
    const QByteArray from = "<" + sender.toUtf8() + ">";
    const CurlList recipients = MakeCurlList({QLatin1Char('<') + recipient + QLatin1Char('>')});
    const CurlList connectTo = MakeCurlList(settings.connectTo);
    Upload upload{wireMessage};

    curl_easy_setopt(e, CURLOPT_URL, url.constData());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "smtp");
    curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(e, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(e, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(e, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, ReadUpload);
    curl_easy_setopt(e, CURLOPT_READDATA, &upload);
    if (connectTo)
        curl_easy_setopt(e, CURLOPT_CONNECT_TO, connectTo.get());
    // The time-out covers the connection, every reply of the server, and a
    // stall while the message itself goes out.
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(settings.timeoutMs));
    curl_easy_setopt(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, WholeSeconds(settings.timeoutMs));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, WholeSeconds(settings.timeoutMs));
    return RunTransfer(e, cancel);
}

} // namespace pictaron
