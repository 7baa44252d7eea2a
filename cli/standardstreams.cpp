#include "cli/standardstreams.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace pictaron {

namespace {

bool gClosed[3] = {false, false, false};

QString StreamName(int fd)
{
    return fd == STDIN_FILENO    ? QStringLiteral("standard input")
        : fd == STDOUT_FILENO    ? QStringLiteral("standard output")
                                 : QStringLiteral("standard error");
}

QString Reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
}

} // namespace

bool IsStandardStream(const QString& name)
{
    return name == QLatin1String("-");
}

void GuardStandardDescriptors()
{
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        gClosed[fd] = true;
        // open() takes the lowest free number, which is fd: the ones below are open.
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened != fd && opened >= 0)
            close(opened);
    }
}

bool StandardInputClosed()
{
    return gClosed[STDIN_FILENO];
}

bool StandardOutputClosed()
{
    return gClosed[STDOUT_FILENO];
}

QByteArray ReadStandardInput(qint64 limit)
{
    if (StandardInputClosed())
        throw PictaronError(QStringLiteral("Cannot read standard input.  It is closed."));
    QByteArray bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0)
            return bytes;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw PictaronError(QStringLiteral("Cannot read standard input.  ") + Reason(errno));
        }
        if (bytes.size() + n > limit)
            throw PictaronError(QStringLiteral("Cannot open standard input.  It holds more than %1 MB, more than any "
                                               "picture Pictaron opens.")
                                    .arg(limit / 1'000'000));
        bytes.append(buffer, n);
    }
}

void WriteToStream(int fd, const QByteArray& bytes)
{
    if (fd == STDOUT_FILENO && StandardOutputClosed())
        throw StreamWriteError(QStringLiteral("Cannot write to standard output.  It is closed."));
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw StreamWriteError(QStringLiteral("Cannot write to %1.  %2").arg(StreamName(fd), Reason(n < 0 ? errno : EIO)));
        written += n;
    }
}

} // namespace pictaron
