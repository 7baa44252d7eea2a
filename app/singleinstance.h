// One Pictaron per user: a second start hands its request to the first.
//
// The first instance listens on a local socket named after the service and
// topic the program has always answered ("webpictaron", "PICTARON") and the
// user's id, in the abstract namespace so no file is left behind. A request is
// a list of lines; the window opens the file named by the last line, and an
// empty request just brings the window forward.
//
// Threading: GUI thread only.
#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;

namespace pictaron {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The socket name for this user.
    static QString DefaultServerName();

    explicit SingleInstance(QString serverName = DefaultServerName(), QObject* parent = nullptr);

    // Delivers the lines to the instance answering on the name; false when none does.
    static bool SendToRunningInstance(const QStringList& lines, const QString& serverName = DefaultServerName(),
                                      int timeoutMs = 1000);

    // Starts answering requests; false when another instance already does.
    bool Listen();

signals:
    void RequestReceived(const QStringList& lines);

private:
    void OnConnection();

    QString serverName_;
    QLocalServer* server_;
};

} // namespace pictaron
