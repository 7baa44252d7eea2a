#include "components/regularfile.h"

#include "components/errors.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictaron {

namespace {

// What stands under the name when it is not a regular file.
QString NotAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("It is a folder, not a file.");
    if (S_ISFIFO(mode))
        return QStringLiteral("It is a named pipe, not a file.");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("It is a device, not a file.");
    if (S_ISSOCK(mode))
        return QStringLiteral("It is a socket, not a file.");
    return QStringLiteral("It is not a regular file.");
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
}

[[noreturn]] void ThrowReadError(const QString& path, const QString& reason)
{
    throw PictaronError(QStringLiteral("Cannot read %1.  %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

RegularFile::RegularFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // stat() never waits, whatever the name leads to; open() on a pipe would.
    if (::stat(name.constData(), &info) != 0) {
        missing_ = errno == ENOENT;
        Refuse(missing_ ? QStringLiteral("It does not exist.") : SystemReason(errno));
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        Refuse(NotAFile(info.st_mode));
        return;
    }
    // Should the name have become a pipe since, O_NONBLOCK keeps this open()
    // from waiting, and fstat() below tells what was opened.
    int descriptor;
    do {
        descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        missing_ = errno == ENOENT;
        Refuse(SystemReason(errno));
        return;
    }
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        const QString reason = S_ISREG(info.st_mode) ? SystemReason(errno) : NotAFile(info.st_mode);
        ::close(descriptor);
        Refuse(reason);
        return;
    }
    descriptor_ = descriptor;
    size_ = static_cast<qint64>(info.st_size);
}

RegularFile::~RegularFile()
{
    if (mapped_)
        ::munmap(mapped_, mappedLength_);
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool RegularFile::Refuse(const QString& reason)
{
    problem_ = reason;
    return false;
}

bool RegularFile::CheckSize(qint64 maxBytes)
{
    if (!IsOpen())
        return false;
    if (size_ > maxBytes)
        return Refuse(QStringLiteral("It is %1; a file of this kind holds at most %2.")
                          .arg(DescribeFileSize(size_), DescribeFileSize(maxBytes)));
    return true;
}

QByteArray RegularFile::Read(qint64 maxBytes, bool wholeFile)
{
    if (!IsOpen() || (wholeFile && !CheckSize(maxBytes)))
        return {};
    // One byte more than allowed tells a file that grew since fstat(), or one
    // whose size the system does not know.
    const qint64 limit = wholeFile ? maxBytes + 1 : maxBytes;
    QByteArray bytes(static_cast<qsizetype>(std::min(limit, std::max<qint64>(size_ + 1, 4096))), Qt::Uninitialized);
    qint64 have = 0;
    while (have < limit) {
        if (have == bytes.size())
            bytes.resize(static_cast<qsizetype>(std::min(limit, 2 * have)));
        const ssize_t n = ::pread(descriptor_, bytes.data() + have, static_cast<size_t>(bytes.size() - have), have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            Refuse(SystemReason(errno));
            return {};
        }
        if (n == 0)
            break;
        have += n;
    }
    if (wholeFile && have > maxBytes) {
        Refuse(QStringLiteral("It holds more than %1, the most a file of this kind holds.").arg(DescribeFileSize(maxBytes)));
        return {};
    }
    bytes.resize(static_cast<qsizetype>(have));
    return bytes;
}

const uchar* RegularFile::Map()
{
    if (mapped_)
        return static_cast<const uchar*>(mapped_);
    if (!IsOpen() || size_ <= 0)
        return nullptr;
    void* address = ::mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ, MAP_SHARED | MAP_POPULATE, descriptor_, 0);
    if (address == MAP_FAILED)
        return nullptr;
    mapped_ = address;
    mappedLength_ = static_cast<std::size_t>(size_);
    return static_cast<const uchar*>(mapped_);
}

QByteArray ReadWholeFile(const QString& path, qint64 maxBytes)
{
    RegularFile file(path);
    QByteArray bytes = file.Read(maxBytes, true);
    if (!file.Problem().isEmpty())
        ThrowReadError(path, file.Problem());
    return bytes;
}

QByteArray ReadFileStart(const QString& path, qint64 maxBytes)
{
    RegularFile file(path);
    QByteArray bytes = file.Read(maxBytes, false);
    if (!file.Problem().isEmpty())
        ThrowReadError(path, file.Problem());
    return bytes;
}

QString DescribeFileSize(qint64 bytes)
{
    if (bytes < 10'000)
        return QStringLiteral("%1 bytes").arg(bytes);
    return QLocale::c().formattedDataSize(bytes, 2, QLocale::DataSizeIecFormat);
}

} // namespace pictaron
