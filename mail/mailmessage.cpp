#include "mail/mailmessage.h"

#include "mail/mimeencoding.h"

#include <QLocale>
#include <QRegularExpression>
#include <QUuid>

#include <cstdlib>

namespace pictaron {

namespace {

// Cuts to the limit without leaving half of a surrogate pair behind.
QString Limited(const QString& text)
{
    if (text.size() <= kMailFieldLimit)
        return text;
    QString cut = text.left(kMailFieldLimit);
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

QString AddressProblemText(const QString& whose)
{
    return whose
           + QStringLiteral(" contains a space, a line break or one of the characters < > , ; and "
                            "cannot be used.  Please correct it.");
}

} // namespace

QString SingleLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return line;
}

bool IsUsableAddress(const QString& address)
{
    for (const QChar c : address) {
        if (c.category() == QChar::Other_Control || c.isSpace())
            return false;
        if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char(',')
            || c == QLatin1Char(';'))
            return false;
    }
    return true;
}

QString SenderAddressProblemText()
{
    return AddressProblemText(QStringLiteral("Your email address"));
}

QString RecipientAddressProblemText()
{
    return AddressProblemText(QStringLiteral("Your friend's email address"));
}

QString AddressDomain(const QString& address)
{
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    return at < 0 ? address : address.mid(at + 1);
}

MailMessage MakeFriendMail(const FriendTexts& texts, const FriendInput& input,
                           const QString& senderAddress, const QString& recipient)
{
    return {Limited(SingleLine(FriendSubject(texts))), Limited(SingleLine(input.senderName)),
            Limited(senderAddress.trimmed()), recipient.trimmed(),
            BuildFriendMessage(texts, input)};
}

QString NewMessageId(const QString& senderAddress)
{
    static const QRegularExpression hostName(
        QStringLiteral("^[A-Za-z0-9-]+(\\.[A-Za-z0-9-]+)+$"));
    QString domain = AddressDomain(senderAddress);
    if (!hostName.match(domain).hasMatch())
        domain = QStringLiteral("pictaron.invalid");
    return QLatin1Char('<') + QString::fromLatin1(QUuid::createUuid().toRfc4122().toHex())
           + QLatin1Char('@') + domain + QLatin1Char('>');
}

QByteArray MailDate(const QDateTime& when)
{
    // Day and month names in English whatever the user's language.
    const QLocale c = QLocale::c();
    const int offsetMinutes = when.offsetFromUtc() / 60;
    const int absolute = std::abs(offsetMinutes);
    const QString zone = QString::asprintf("%c%02d%02d", offsetMinutes < 0 ? '-' : '+',
                                           absolute / 60, absolute % 60);
    return (c.toString(when, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) + zone).toLatin1();
}

QByteArray ComposeMessage(const MailMessage& message, const QDateTime& date,
                          const QString& messageId)
{
    const QByteArray from = "<" + message.senderAddress.toUtf8() + ">";
    QByteArray mail;
    mail += "Date: " + MailDate(date) + "\r\n";
    mail += "From: "
            + (message.senderName.isEmpty() ? from
                                            : EncodeDisplayName(message.senderName) + " " + from)
            + "\r\n";
    mail += "To: <" + message.recipient.toUtf8() + ">\r\n";
    mail += "Subject: " + EncodeHeaderText(message.subject) + "\r\n";
    mail += "Message-ID: " + messageId.toLatin1() + "\r\n";
    mail += "MIME-Version: 1.0\r\n";
    mail += "Content-Type: " + message.body.contentType.toLatin1() + "; charset=UTF-8\r\n";
    mail += "Content-Transfer-Encoding: quoted-printable\r\n";
    mail += "\r\n";
    mail += QuotedPrintable(message.body.text.toUtf8());
    // The end-of-data line must start a line of its own.
    if (!mail.endsWith("\r\n"))
        mail += "\r\n";
    return mail;
}

} // namespace pictaron
