// Real servers on loopback for the mail tests: dnsmasq as the DNS server,
// aiosmtpd as the mail server, Python's http.server for the server list.
// Each runs as a child process for the life of its object.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace pictaron::test {

// The full path of a program in PATH or the system folders, or empty.
QString FindProgram(const QString& name);

// A port on 127.0.0.1 that was free a moment ago (UDP and TCP).
int FreePort();

// Whether /usr/bin/python3 can import the module.
bool PythonHasModule(const QString& module);

// A child process that serves on 127.0.0.1:port; stopped when destroyed.
class Peer {
public:
    Peer() = default;
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    ~Peer();

    // Starts the program and waits until its TCP port accepts connections.
    // False (with the reason in error()) when it does not come up.
    bool Start(const QString& program, const QStringList& arguments, int port,
               const QString& workingFolder = QString());
    void Stop();
    // Start on a free port, with a new port when the chosen one was taken.
    bool StartOnFreePort(const std::function<bool(int)>& start);
    int port() const { return port_; }
    QString error() const { return error_; }

private:
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
    QString error_;
};

// dnsmasq answering for the test domains: "pictaron.test" has the mail
// servers mx20.pictaron.test (preference 20) and mx5.pictaron.test (5);
// "nomx.test" has an address but no mail server.
class DnsPeer : public Peer {
public:
    static QString Program() { return FindProgram(QStringLiteral("dnsmasq")); }
    bool Start();
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }
};

// aiosmtpd with the handler of smtppeer.py: each accepted message is saved
// as JSON in a folder; "drop" closes the connection when the message has
// arrived instead of answering, "slow" waits a minute before answering.
class SmtpPeer : public Peer {
public:
    static bool Available() { return PythonHasModule(QStringLiteral("aiosmtpd")); }
    bool Start(const QString& mode = QStringLiteral("accept"));
    // "mx5.pictaron.test:25:127.0.0.1:PORT", for SmtpSettings::connectTo.
    QString ConnectTo(const QString& host) const;
    // The messages received so far, as the JSON texts smtppeer.py wrote.
    QStringList Received() const;
    // Whether a "slow" server has answered the message (it writes a mark).
    bool Answered() const;
    QString Folder() const { return folder_.path(); }

private:
    QTemporaryDir folder_;
};

// http.server serving a folder; Put writes a file into it.
class HttpPeer : public Peer {
public:
    bool Start();
    void Put(const QString& path, const QByteArray& content);
    QString Url(const QString& path) const;

private:
    QTemporaryDir folder_;
};

} // namespace pictaron::test
