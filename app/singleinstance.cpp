#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>

#include <cerrno>
#include <cstring>
#include <optional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace pictaron {

namespace {

// Requests are UTF-8 lines; the sender closes the connection when done. A
// request is a file name or two: anything much larger is not one of ours.
constexpr qint64 kMaxRequestBytes = 64 * 1024;

const char kSocketName[] = "webpictaron-PICTARON";

void SetProblem(QString* problem, const QString& text)
{
    if (problem)
        *problem = text;
}

// The user at the other end of a connected local socket, as the kernel saw it
// when the connection was made (or the listener started listening).
std::optional<uid_t> PeerUser(qintptr descriptor)
{
    if (descriptor < 0)
        return std::nullopt;
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0
        || length != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

bool IsOwnUser(qintptr descriptor)
{
    const std::optional<uid_t> peer = PeerUser(descriptor);
    return peer && *peer == ::geteuid();
}

bool SocketFolderIsPrivate(const QString& socketPath, QString* problem = nullptr)
{
    if (socketPath.isEmpty()) {
        SetProblem(problem, QStringLiteral("there is no private runtime folder"));
        return false;
    }
    return SingleInstance::IsPrivateFolder(QFileInfo(socketPath).absolutePath(), false, problem);
}

} // namespace

bool SingleInstance::IsPrivateFolder(const QString& path, bool create, QString* problem)
{
    const QByteArray native = QFile::encodeName(path);
    if (create && ::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        SetProblem(problem, QStringLiteral("cannot make %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    struct stat status {};
    if (::lstat(native.constData(), &status) != 0) {
        SetProblem(problem, QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        SetProblem(problem, QStringLiteral("%1 is not a folder").arg(path));
        return false;
    }
    if (status.st_uid != ::geteuid()) {
        SetProblem(problem, QStringLiteral("%1 belongs to user %2").arg(path).arg(status.st_uid));
        return false;
    }
    if ((status.st_mode & 0777) != 0700) {
        SetProblem(problem, QStringLiteral("%1 has mode %2, not 700").arg(path).arg(status.st_mode & 0777, 3, 8, QLatin1Char('0')));
        return false;
    }
    return true;
}

QString SingleInstance::RuntimeFolder(QString* problem)
{
    QString runtimeProblem;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && IsPrivateFolder(runtime, false, &runtimeProblem))
        return QDir::cleanPath(runtime);
    const QString fallback = QDir::tempPath() + QStringLiteral("/pictaron-%1").arg(::geteuid());
    QString fallbackProblem;
    if (IsPrivateFolder(fallback, true, &fallbackProblem))
        return fallback;
    SetProblem(problem, runtimeProblem.isEmpty() ? fallbackProblem : runtimeProblem + QStringLiteral("; ") + fallbackProblem);
    return QString();
}

QString SingleInstance::DefaultSocketPath()
{
    const QString folder = RuntimeFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + QLatin1String(kSocketName);
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)), server_(new QLocalServer(this))
{
    // The folder keeps everyone else out already; the socket does as well.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
}

bool SingleInstance::SendToRunningInstance(const QStringList& lines, const QString& socketPath, int timeoutMs)
{
    if (!SocketFolderIsPrivate(socketPath))
        return false;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // A file name is for this user's own program only.
    if (!IsOwnUser(socket.socketDescriptor())) {
        socket.abort();
        return false;
    }
    socket.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

bool SingleInstance::Listen()
{
    if (server_->isListening())
        return true;
    QString problem;
    if (!SocketFolderIsPrivate(socketPath_, &problem)) {
        qWarning("Pictaron: not listening for a second start: %s", qPrintable(problem));
        return false;
    }
    // A socket file someone answers on is another instance's; one that nobody
    // answers on was left behind by a program that ended without removing it.
    // Qt would replace either when listening, so look first.
    const QByteArray native = QFile::encodeName(socketPath_);
    struct stat status {};
    if (::lstat(native.constData(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode)) {
            qWarning("Pictaron: not listening for a second start: %s is not a socket", native.constData());
            return false;
        }
        QLocalSocket probe;
        probe.connectToServer(socketPath_);
        if (probe.waitForConnected(1000))
            return false;
        if (::unlink(native.constData()) != 0 && errno != ENOENT)
            return false;
    }
    return server_->listen(socketPath_);
}

void SingleInstance::OnConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (!IsOwnUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, socket, [socket] {
            if (socket->bytesAvailable() > kMaxRequestBytes) {
                socket->setProperty("refused", true);
                socket->abort();
            }
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            socket->deleteLater();
            if (socket->property("refused").toBool())
                return;
            const QByteArray request = socket->readAll();
            if (request.isEmpty())
                return;  // a look whether an instance answers, not a request
            QStringList lines = QString::fromUtf8(request).split(QLatin1Char('\n'));
            while (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
            emit RequestReceived(lines);
        });
    }
}

} // namespace pictaron
