// One Pictaron per user: a second start hands its request to the first.
//
// The first instance listens on a local socket named after the service and
// topic the program has always answered ("webpictaron", "PICTARON") in the
// user's runtime folder: $XDG_RUNTIME_DIR, or else a folder "pictaron-<uid>"
// in the temporary folder, made on first use. Either folder must belong to the
// user and be closed to everyone else (mode 0700), or there is no channel at
// all and every start runs on its own. Nobody else can then reach the socket,
// and both ends check the other's user besides: the listener drops a
// connection from another user, a sender delivers nothing to a listener of
// another user. A socket file left by a program that crashed is removed when
// nothing answers on it.
//
// A request is a list of lines; the window opens the file named by the last
// line, and an empty request just brings the window forward. A connection
// that sends nothing is no request (Listen makes one to see whether an
// instance is there), and one of more than 64 KiB is not one of ours.
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
    // The runtime folder described above, made when it is missing; empty, with
    // the reason in problem, when no folder is safe to use.
    static QString RuntimeFolder(QString* problem = nullptr);
    // The socket for this user: "webpictaron-PICTARON" in RuntimeFolder(), or
    // empty when there is no safe folder.
    static QString DefaultSocketPath();
    // Whether path is a folder (not a link to one) of this user with mode
    // 0700; with create, a missing folder is made so first. The reason in
    // problem when not.
    static bool IsPrivateFolder(const QString& path, bool create, QString* problem = nullptr);

    explicit SingleInstance(QString socketPath = DefaultSocketPath(), QObject* parent = nullptr);

    // Delivers the lines to the instance of this user answering on the socket;
    // false when none does, when the socket's folder is not private, or when
    // whoever answers is another user.
    static bool SendToRunningInstance(const QStringList& lines, const QString& socketPath = DefaultSocketPath(),
                                      int timeoutMs = 1000);

    // Starts answering requests; false when another instance already does, or
    // when the socket's folder is not private.
    bool Listen();

signals:
    void RequestReceived(const QStringList& lines);

private:
    void OnConnection();

    QString socketPath_;
    QLocalServer* server_;
};

} // namespace pictaron
