#include "peers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace pictaron::test {

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

bool AcceptsTcp(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

} // namespace

QString FindProgram(const QString& name)
{
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(
            name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
    return found;
}

int FreePort()
{
    // A TCP port whose UDP twin is free as well (dnsmasq needs both).
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int tcp = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(tcp, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::getsockname(tcp, reinterpret_cast<sockaddr*>(&address), &length);
        const int udp = ::socket(AF_INET, SOCK_DGRAM, 0);
        const bool udpFree = ::bind(udp, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(udp);
        ::close(tcp);
        if (udpFree)
            return ntohs(address.sin_port);
    }
    return 0;
}

bool PythonHasModule(const QString& module)
{
    QProcess python;
    python.start(kPython, {QStringLiteral("-c"), QStringLiteral("import ") + module});
    return python.waitForFinished(20000) && python.exitStatus() == QProcess::NormalExit
           && python.exitCode() == 0;
}

Peer::~Peer()
{
    Stop();
}

bool Peer::Start(const QString& program, const QStringList& arguments, int port,
                 const QString& workingFolder)
{
    port_ = port;
    process_ = std::make_unique<QProcess>();
    if (!workingFolder.isEmpty())
        process_->setWorkingDirectory(workingFolder);
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->start(program, arguments);
    if (!process_->waitForStarted(10000)) {
        error_ = program + QStringLiteral(" did not start: ") + process_->errorString();
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        // Someone answering is not enough: it must be our process, which
        // would have ended by now had the port been taken.
        if (AcceptsTcp(port) && !process_->waitForFinished(200))
            return true;
        if (process_->state() != QProcess::Running)
            break;
        QThread::msleep(50);
    }
    process_->waitForFinished(100);
    error_ = program + QStringLiteral(" did not come up: ")
             + QString::fromLocal8Bit(process_->readAll());
    return false;
}

void Peer::Stop()
{
    if (!process_)
        return;
    process_->terminate();
    if (!process_->waitForFinished(5000)) {
        process_->kill();
        process_->waitForFinished(5000);
    }
    process_.reset();
}

bool Peer::StartOnFreePort(const std::function<bool(int)>& start)
{
    // Another test may take the free port first; then a new one is tried.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (start(FreePort()))
            return true;
        Stop();
    }
    return false;
}

bool DnsPeer::Start()
{
    return StartOnFreePort([this](int port) {
        return Peer::Start(Program(),
                       {QStringLiteral("--keep-in-foreground"), QStringLiteral("--conf-file=/dev/null"),
                        QStringLiteral("--no-resolv"), QStringLiteral("--no-hosts"),
                        QStringLiteral("--no-poll"), QStringLiteral("--pid-file="),
                        QStringLiteral("--listen-address=127.0.0.1"),
                        QStringLiteral("--bind-interfaces"), QStringLiteral("--port=%1").arg(port),
                        QStringLiteral("--mx-host=pictaron.test,mx20.pictaron.test,20"),
                        QStringLiteral("--mx-host=pictaron.test,mx5.pictaron.test,5"),
                        QStringLiteral("--host-record=nomx.test,127.0.0.1"),
                        QStringLiteral("--local=/test/"), QStringLiteral("--log-facility=-")},
                       port);
    });
}

bool SmtpPeer::Start(const QString& mode)
{
    // "python3 -m" looks for the handler module in the working folder.
    return StartOnFreePort([&](int port) {
        return Peer::Start(kPython,
                       {QStringLiteral("-m"), QStringLiteral("aiosmtpd"), QStringLiteral("-n"),
                        QStringLiteral("-l"), QStringLiteral("127.0.0.1:%1").arg(port),
                        QStringLiteral("-c"), QStringLiteral("smtppeer.Recorder"), folder_.path(),
                        mode},
                       port, QStringLiteral(PICTARON_MAIL_TEST_DIR));
    });
}

QString SmtpPeer::ConnectTo(const QString& host) const
{
    return host + QStringLiteral(":25:127.0.0.1:%1").arg(port());
}

QStringList SmtpPeer::Received() const
{
    QStringList messages;
    const QDir folder(folder_.path());
    for (const QString& name : folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            messages << QString::fromUtf8(file.readAll());
    }
    return messages;
}

bool SmtpPeer::Answered() const
{
    return QFile::exists(QDir(folder_.path()).filePath(QStringLiteral("answered")));
}

bool HttpPeer::Start()
{
    return StartOnFreePort([this](int port) {
        return Peer::Start(kPython,
                       {QStringLiteral("-m"), QStringLiteral("http.server"), QString::number(port),
                        QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                        QStringLiteral("--directory"), folder_.path()},
                       port);
    });
}

void HttpPeer::Put(const QString& path, const QByteArray& content)
{
    const QString target = QDir(folder_.path()).filePath(path);
    QDir().mkpath(QFileInfo(target).path());
    QFile file(target);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

QString HttpPeer::Url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(port()) + path;
}

} // namespace pictaron::test
