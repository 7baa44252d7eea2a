// Files that are not what their names promise, for the tests of every reader
// of user files: named pipes, sockets, sparse giants.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace pictaron::testing {

inline bool MakeFifo(const QString& path)
{
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A socket bound at path; the descriptor stays open until closed by the caller.
inline int MakeSocket(const QString& path)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (descriptor < 0 || name.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return -1;
    std::copy(name.begin(), name.end(), address.sun_path);
    if (::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// A file of size bytes that takes no room on disk beyond head, its first bytes.
inline bool MakeSparseFile(const QString& path, qint64 size, const QByteArray& head = {})
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(head) == head.size() && file.resize(size);
}

// Runs read, which may open fifo, on a thread of its own and waits for it. A
// read that waits on the pipe instead of refusing it is released by opening
// the pipe's other end, so the test fails instead of hanging; the watchdog's
// wait is a long one, not a measure of speed.
template <typename Read>
auto ReadWithoutBlocking(const QString& fifo, Read read) -> decltype(read())
{
    auto result = std::async(std::launch::async, read);
    if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
        ADD_FAILURE() << "reading " << fifo.toStdString() << " waited on the pipe";
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    return result.get();
}

} // namespace pictaron::testing
