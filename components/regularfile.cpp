#include "components/regularfile.h"

#include "components/errors.h"
#include "components/plaintext.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictaron {

namespace {

// What stands under the name when it is not a regular file.
std::string NotAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "It is a folder, not a file.";
    if (S_ISFIFO(mode))
        return "It is a named pipe, not a file.";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "It is a device, not a file.";
    if (S_ISSOCK(mode))
        return "It is a socket, not a file.";
    return "It is not a regular file.";
}

std::string SystemReason(int error)
{
    return std::string(std::strerror(error)) + '.';
}

[[noreturn]] void ThrowReadError(const std::string& path, const std::string& reason)
{
    throw PictaronError(Substitute("Cannot read %1.  %2", path, reason));
}

} // namespace

RegularFile::RegularFile(const std::string& path)
{
    const char* const name = path.c_str();
    struct stat info {};
    // stat() never waits, whatever the name leads to; open() on a pipe would.
    if (::stat(name, &info) != 0) {
        missing_ = errno == ENOENT;
        Refuse(missing_ ? std::string("It does not exist.") : SystemReason(errno));
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
        descriptor = ::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        missing_ = errno == ENOENT;
        Refuse(SystemReason(errno));
        return;
    }
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        std::string reason = S_ISREG(info.st_mode) ? SystemReason(errno) : NotAFile(info.st_mode);
        ::close(descriptor);
        Refuse(std::move(reason));
        return;
    }
    descriptor_ = descriptor;
    size_ = static_cast<std::int64_t>(info.st_size);
}

RegularFile::~RegularFile()
{
    if (mapped_)
        ::munmap(mapped_, mappedLength_);
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

bool RegularFile::Refuse(std::string reason)
{
    problem_ = std::move(reason);
    return false;
}

bool RegularFile::CheckSize(std::int64_t maxBytes)
{
    if (!IsOpen())
        return false;
    if (size_ > maxBytes)
        return Refuse(Substitute("It is %1; a file of this kind holds at most %2.", DescribeFileSize(size_),
                                 DescribeFileSize(maxBytes)));
    return true;
}

std::string RegularFile::Read(std::int64_t maxBytes, bool wholeFile)
{
    if (!IsOpen() || (wholeFile && !CheckSize(maxBytes)))
        return {};
    // One byte more than allowed tells a file that grew since fstat(), or one
    // whose size the system does not know.
    const std::int64_t limit = wholeFile ? maxBytes + 1 : maxBytes;
    std::string bytes(static_cast<std::size_t>(std::min(limit, std::max<std::int64_t>(size_ + 1, 4096))), '\0');
    std::int64_t have = 0;
    while (have < limit) {
        if (have == static_cast<std::int64_t>(bytes.size()))
            bytes.resize(static_cast<std::size_t>(std::min(limit, 2 * have)));
        const ssize_t n = ::pread(descriptor_, bytes.data() + have, bytes.size() - static_cast<std::size_t>(have), have);
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
        Refuse(Substitute("It holds more than %1, the most a file of this kind holds.", DescribeFileSize(maxBytes)));
        return {};
    }
    bytes.resize(static_cast<std::size_t>(have));
    return bytes;
}

std::string_view RegularFile::Map()
{
    if (!mapped_) {
        if (!IsOpen() || size_ <= 0)
            return {};
        void* address =
            ::mmap(nullptr, static_cast<std::size_t>(size_), PROT_READ, MAP_SHARED | MAP_POPULATE, descriptor_, 0);
        if (address == MAP_FAILED)
            return {};
        mapped_ = address;
        mappedLength_ = static_cast<std::size_t>(size_);
    }
    return {static_cast<const char*>(mapped_), mappedLength_};
}

std::string ReadWholeFile(const std::string& path, std::int64_t maxBytes)
{
    RegularFile file(path);
    std::string bytes = file.Read(maxBytes, true);
    if (!file.Problem().empty())
        ThrowReadError(path, file.Problem());
    return bytes;
}

std::string ReadFileStart(const std::string& path, std::int64_t maxBytes)
{
    RegularFile file(path);
    std::string bytes = file.Read(maxBytes, false);
    if (!file.Problem().empty())
        ThrowReadError(path, file.Problem());
    return bytes;
}

std::string DescribeFileSize(std::int64_t bytes)
{
    if (bytes < 10'000)
        return Substitute("%1 bytes", bytes);
    // Binary units with two decimals, an exact half rounded up: the unit is
    // the largest power of 1024 not above the size.
    static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    const int power = (63 - std::countl_zero(static_cast<std::uint64_t>(bytes))) / 10;
    const unsigned __int128 unit = static_cast<unsigned __int128>(1) << (10 * power);
    const auto hundredths =
        static_cast<std::uint64_t>((static_cast<unsigned __int128>(bytes) * 100 + unit / 2) / unit);
    const std::string cents = NumberText(static_cast<std::int64_t>(hundredths % 100));
    return Substitute("%1.%2 %3", static_cast<std::int64_t>(hundredths / 100), cents.size() < 2 ? "0" + cents : cents,
                      kUnits[power - 1]);
}

} // namespace pictaron
