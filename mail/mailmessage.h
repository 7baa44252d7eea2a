// One outgoing email: its fields, the checks that keep the user's text out of
// the SMTP dialogue and the headers, and its wire form (RFC 5322 with MIME).
#pragma once

#include "mail/friendmessage.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace pictaron {

// Subject, sender name and sender address are cut to this many characters.
inline constexpr int kMailFieldLimit = 255;

struct MailMessage {
    QString subject;
    QString senderName;    // may be empty
    QString senderAddress; // the envelope sender too
    QString recipient;     // the one envelope recipient
    FriendBody body;
};

// The message the email dialog sends: subject from the product name, fields
// cut to kMailFieldLimit, names on one line, addresses trimmed of spaces
// around them.
MailMessage MakeFriendMail(const FriendTexts& texts, const FriendInput& input,
                           const QString& senderAddress, const QString& recipient);

// The text with every control character (CR and LF among them) turned into a
// space: names and subjects are single header lines.
QString SingleLine(const QString& text);

// Whether an address can go into "MAIL FROM:<…>", "RCPT TO:<…>" and a header
// as it is: no control characters (so no line breaks), no spaces and none of
// < > , ; which would end the address or add another one. An empty address
// passes; the caller decides what empty means.
bool IsUsableAddress(const QString& address);

// The texts telling the user which address cannot be used.
QString SenderAddressProblemText();
QString RecipientAddressProblemText();

// The part of an address after its first "@"; the whole text without one.
QString AddressDomain(const QString& address);

// A new Message-ID, "<unique@domain>", the domain taken from the sender's
// address when it looks like a host name.
QString NewMessageId(const QString& senderAddress);

// The date as RFC 5322 writes it: "Wed, 09 Dec 2026 07:42:16 +0100".
QByteArray MailDate(const QDateTime& when);

// Headers and quoted-printable UTF-8 body, lines ending in CR LF. Dot
// stuffing is left to the SMTP client.
QByteArray ComposeMessage(const MailMessage& message, const QDateTime& date,
                          const QString& messageId);

} // namespace pictaron
