#include "app/singleinstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QVariant>

#include <unistd.h>

namespace pictaron {

namespace {

// Requests are UTF-8 lines; the sender closes the connection when done. A
// request is a file name or two: anything much larger is not one of ours.
constexpr qint64 kMaxRequestBytes = 64 * 1024;

} // namespace

QString SingleInstance::DefaultServerName()
{
    return QStringLiteral("webpictaron-PICTARON-%1").arg(::getuid());
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)), server_(new QLocalServer(this))
{
    server_->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
}

bool SingleInstance::SendToRunningInstance(const QStringList& lines, const QString& serverName, int timeoutMs)
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
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
    return server_->isListening() || server_->listen(serverName_);
}

void SingleInstance::OnConnection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
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
            QStringList lines = QString::fromUtf8(socket->readAll()).split(QLatin1Char('\n'));
            while (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
            emit RequestReceived(lines);
        });
    }
}

} // namespace pictaron
