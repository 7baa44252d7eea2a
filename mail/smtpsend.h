// Hands one composed message to one mail server by SMTP (libcurl).
#pragma once

#include "app/progress.h"
#include "mail/curltransfer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pictaron {

struct SmtpSettings {
    int port = 25;
    // The longest wait for connecting and for each answer of the server.
    int timeoutMs = 7000;
    // libcurl "HOST:PORT:CONNECT-TO-HOST:CONNECT-TO-PORT" entries. Empty in
    // the program; tests point the mail hosts at their own servers with them.
    QStringList connectTo;
};

// Sends wireMessage from sender to the one recipient through host. Never
// called on the GUI thread. Failed carries libcurl's words for what went wrong.
TransferResult SendMail(const QString& host, const QString& sender, const QString& recipient,
                        const QByteArray& wireMessage, const SmtpSettings& settings,
                        const CancelFlag& cancel);

} // namespace pictaron
