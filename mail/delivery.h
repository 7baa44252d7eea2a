// Delivering the recommendation: the mail servers of the sender's domain are
// found by DNS and tried in order of preference until one accepts the message.
// The texts the user sees when that fails are here too.
#pragma once

#include "app/progress.h"
#include "mail/dnsservers.h"
#include "mail/mailmessage.h"
#include "mail/mxlookup.h"
#include "mail/smtpsend.h"

#include <QString>

namespace pictaron {

struct DeliverySettings {
    DnsServerSources dnsServers;
    int dnsTimeoutMs = kDnsTimeoutMs;
    SmtpSettings smtp;
};

enum class DeliveryOutcome { Sent, Failed, Cancelled };

struct DeliveryResult {
    DeliveryOutcome outcome;
    QString errorText; // what the error dialog shows when Failed
};

// Finds the mail servers and sends through each in turn, reporting progress
// to status. Never called on the GUI thread; all waiting ends soon after
// cancel is set. A message with an unusable address is refused unsent.
DeliveryResult DeliverMail(const MailMessage& message, const DeliverySettings& settings,
                           const CancelFlag& cancel, const EmailStatus& status);

// The text naming the first unusable address of the message, or empty.
QString AddressProblem(const MailMessage& message);

// "Click the "To Clipboard" button …": the end of every failure text.
QString ClipboardHint();
// No DNS server answered with a mail server.
QString DnsServerMessage();
// The network libraries could not be set up.
QString NetworkLibraryMessage();
// Every mail server failed; lastError is the last one's.
QString SendFailedText(const QString& lastError);

} // namespace pictaron
