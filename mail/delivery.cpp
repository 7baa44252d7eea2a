#include "mail/delivery.h"

#include "mail/curltransfer.h"

#include <QDateTime>

namespace pictaron {

QString ClipboardHint()
{
    return QStringLiteral(
        "Click the \"To Clipboard\" button and the email message will be put in the Windows "
        "Clipboard.  You can then paste it into a regular email to your friend.");
}

QString DnsServerMessage()
{
    return QStringLiteral(
               "A DNS server cannot be found but you can still send the message to your friend.  ")
           + ClipboardHint();
}

QString NetworkLibraryMessage()
{
    return QStringLiteral(
        "There was a problem with your computer's Winsock library and a connection to the "
        "Internet could not be made.");
}

QString SendFailedText(const QString& lastError)
{
    return lastError + QStringLiteral("\r\nYou can still send the message to your friend.  ")
           + ClipboardHint();
}

QString AddressProblem(const MailMessage& message)
{
    if (!IsUsableAddress(message.senderAddress))
        return SenderAddressProblemText();
    if (!IsUsableAddress(message.recipient))
        return RecipientAddressProblemText();
    return {};
}

DeliveryResult DeliverMail(const MailMessage& message, const DeliverySettings& settings,
                           const CancelFlag& cancel, const EmailStatus& status)
{
    if (const QString problem = AddressProblem(message); !problem.isEmpty())
        return {DeliveryOutcome::Failed, problem};
    if (!InitNetworkLibraries())
        return {DeliveryOutcome::Failed, NetworkLibraryMessage()};

    const QStringList entries = FindMailServers(message.senderAddress, settings.dnsServers,
                                                settings.dnsTimeoutMs, cancel, status);
    if (cancel.IsCancelled())
        return {DeliveryOutcome::Cancelled, QString()};
    if (entries.isEmpty())
        return {DeliveryOutcome::Failed, DnsServerMessage()};

    // One message, one Message-ID, whichever server takes it.
    const QByteArray wire = ComposeMessage(message, QDateTime::currentDateTime(),
                                           NewMessageId(message.senderAddress));
    QString errorText;
    for (const QString& entry : entries) {
        const QString host = entry.mid(entry.indexOf(QLatin1Char('|')) + 1);
        status(QStringLiteral("Sending through ") + host);
        const TransferResult sent = SendMail(host, message.senderAddress, message.recipient, wire,
                                             settings.smtp, cancel);
        if (sent.outcome == TransferOutcome::Done)
            return {DeliveryOutcome::Sent, QString()};
        if (sent.outcome == TransferOutcome::Cancelled)
            return {DeliveryOutcome::Cancelled, QString()};
        errorText = SendFailedText(sent.error);
    }
    return {DeliveryOutcome::Failed, errorText};
}

} // namespace pictaron
