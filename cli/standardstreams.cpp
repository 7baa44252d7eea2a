#include "cli/standardstreams.h"

#include "components/plaintext.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace pictaron {

namespace {

bool gClosed[3] = {false, false, false};

const char* StreamName(int fd)
{
    return fd == STDIN_FILENO    ? "standard input"
        : fd == STDOUT_FILENO    ? "standard output"
                                 : "standard error";
}

std::string Reason(int error)
{
    return std::string(std::strerror(error)) + '.';
}

} // namespace

bool IsStandardStream(std::string_view name)
{
    return name == "-";
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

std::string ReadStandardInput(std::int64_t limit)
{
    if (StandardInputClosed())
        throw PictaronError(std::string("Cannot read standard input.  It is closed."));
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0)
            return bytes;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw PictaronError("Cannot read standard input.  " + Reason(errno));
        }
        if (static_cast<std::int64_t>(bytes.size()) + n > limit)
            throw PictaronError(Substitute("Cannot open standard input.  It holds more than %1 MB, more than any "
                                           "picture Pictaron opens.",
                                           limit / 1'000'000));
        bytes.append(buffer, n);
    }
}

void WriteToStream(int fd, std::string_view bytes)
{
    if (fd == STDOUT_FILENO && StandardOutputClosed())
        throw StreamWriteError(std::string("Cannot write to standard output.  It is closed."));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw StreamWriteError(Substitute("Cannot write to %1.  %2", StreamName(fd), Reason(n < 0 ? errno : EIO)));
        written += static_cast<std::size_t>(n);
    }
}

} // namespace pictaron
