// Running pictaron-cli as scripts do, and reading back what it left behind.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <optional>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace pictaron::clitesting {

struct Outcome {
    int status = -1;  // -1: ended by a signal
    QByteArray out;
    QByteArray err;
};

// The program and its arguments, run from workingDirectory (the test's own
// when empty) with stdinBytes on standard input.
inline Outcome RunProgram(const QString& program, const QStringList& arguments, const QByteArray& stdinBytes = {},
                          const QString& workingDirectory = {})
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForStarted());
    process.write(stdinBytes);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

inline Outcome RunCli(const QStringList& arguments, const QByteArray& stdinBytes = {},
                      const QString& workingDirectory = {})
{
    return RunProgram(QStringLiteral(PICTARON_CLI), arguments, stdinBytes, workingDirectory);
}

// pictaron-cli with its standard output sent where redirection says
// (">/dev/full", ">&-"), through the shell.
inline Outcome RunCliRedirected(const QString& redirection, const QStringList& arguments)
{
    return RunProgram(QStringLiteral("/bin/sh"),
                      QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" ") + redirection,
                                  QStringLiteral(PICTARON_CLI)}
                          + arguments);
}

// The words that run a program as an ordinary user: none when the tests do not
// run as root, else setpriv or runuser as nobody; nothing when neither exists.
inline std::optional<QStringList> AsOrdinaryUser()
{
    if (geteuid() != 0)
        return QStringList();
    if (!QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                           QStringLiteral("--clear-groups")};
    if (!QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty())
        return QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--")};
    return std::nullopt;
}

inline Outcome RunCliAs(const QStringList& user, const QStringList& arguments)
{
    if (user.isEmpty())
        return RunCli(arguments);
    return RunProgram(user.front(), user.mid(1) + QStringList{QStringLiteral(PICTARON_CLI)} + arguments);
}

// A binary PPM whose pixels differ from row to row and column to column.
inline QByteArray Ppm(int width, int height)
{
    QByteArray ppm = QStringLiteral("P6\n%1 %2\n255\n").arg(width).arg(height).toLatin1();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ppm += QByteArray(1, char(x * 7)) + char(y * 3) + char((x * y) & 0xFF);
    return ppm;
}

inline QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below folder, hidden ones too, by relative path: its bytes, or
// "-> target" for a symbolic link. Two snapshots compare equal only when
// nothing was added, removed or changed.
inline QMap<QString, QByteArray> Snapshot(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        const QString name = QDir(folder).relativeFilePath(path);
        if (info.isSymLink())
            files.insert(name, "-> " + QFile::encodeName(info.symLinkTarget()));
        else if (info.isDir())
            files.insert(name + QLatin1Char('/'), QByteArray());
        else
            files.insert(name, Read(path));
    }
    return files;
}

// Waits for a file named name, or starting with name when prefix, to be
// created in (or moved into, or with events opened in) a watched folder,
// while process runs. False when the process ended first.
class FolderWatch {
public:
    explicit FolderWatch(const QString& folder, uint32_t events = IN_CREATE | IN_MOVED_TO)
        : fd_(inotify_init1(IN_CLOEXEC | IN_NONBLOCK))
    {
        EXPECT_GE(inotify_add_watch(fd_, QFile::encodeName(folder).constData(), events), 0);
    }
    ~FolderWatch() { close(fd_); }

    bool WaitFor(const QByteArray& name, bool prefix, QProcess& process)
    {
        alignas(inotify_event) char buffer[4096];
        while (process.state() == QProcess::Running) {
            pollfd ready{fd_, POLLIN, 0};
            if (poll(&ready, 1, 50) <= 0)
                continue;
            const ssize_t n = read(fd_, buffer, sizeof buffer);
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                const QByteArray seen(event->len ? event->name : "");
                if (prefix ? seen.startsWith(name) : seen == name)
                    return true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return false;
    }

private:
    int fd_;
};

// The process state letter from /proc: 'T' when stopped, 'Z' when it has
// ended and waits to be reaped.
inline char ProcessState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return '?';
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && close + 2 < text.size() ? text[close + 2] : '?';
}

// Stops the process and waits until it is stopped; false when it had ended.
inline bool StopProcess(qint64 pid)
{
    kill(static_cast<pid_t>(pid), SIGSTOP);
    for (;;) {
        const char state = ProcessState(pid);
        if (state == 'T')
            return true;
        if (state == 'Z' || state == '?')
            return false;
        QThread::yieldCurrentThread();
    }
}

class CliTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return folder_.filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QDir().mkpath(QFileInfo(Path(name)).absolutePath());
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return Path(name);
    }
    QByteArray Read(const QString& path) const { return clitesting::Read(path); }
    // The folder holds only these names: no temporary left behind.
    void ExpectOnlyFiles(const QStringList& names) const
    {
        EXPECT_EQ(QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
    }
    // What a run of one input to a file writes, as the reference for other runs.
    QByteArray Converted(const QString& input, const QStringList& options = {}) const
    {
        QTemporaryDir elsewhere;
        const QString output = elsewhere.filePath(QStringLiteral("reference.out"));
        const Outcome run = RunCli(QStringList{input, QStringLiteral("-o"), output} + options);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        return clitesting::Read(output);
    }

    QTemporaryDir folder_;
};

} // namespace pictaron::clitesting
