#include "components/atomicfile.h"

#include "components/errors.h"
#include "components/plaintext.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictaron {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void ThrowWriteError(const std::string& path, const std::string& reason)
{
    throw PictaronError(Substitute("Cannot write %1.  %2", path, reason));
}

// The system's reason as a sentence.
std::string Reason(int error) { return std::string(std::strerror(error)) + '.'; }

// The file a path names once its symbolic links are followed, also when the
// last one points at nothing yet: saving through a link writes the file it
// points to and leaves the link a link. A chain that never ends is an error.
// The result is absolute, without "." and ".." (taken as written).
fs::path FollowLinks(const std::string& path)
{
    std::error_code error;
    fs::path current = fs::absolute(path, error).lexically_normal();
    for (int hops = 0; hops < 40; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            return current.lexically_normal();
        const fs::path next = fs::read_symlink(current, error);
        if (error)
            ThrowWriteError(path, error.message() + '.');
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    ThrowWriteError(path, "Too many levels of symbolic links.");
}

// The temporary beside the target: "." + the target's name + six random
// letters, made without a name where the system can (so that nothing shows
// in the folder until it is complete) and removed unless Keep() is called.
// Its errors are the system's reasons without a full stop, as they always
// were.
class TemporaryFile {
public:
    TemporaryFile(const fs::path& folder, const std::string& pattern) : folder_(folder), pattern_(pattern) {}
    ~TemporaryFile()
    {
        if (descriptor_ >= 0)
            ::close(descriptor_);
        if (!name_.empty() && !kept_)
            ::unlink(name_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // False with errno set when the file cannot be made.
    bool Open()
    {
        // O_TMPFILE needs /proc to give the file its name later.
        if (::access("/proc/self/fd", F_OK) == 0) {
            descriptor_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
            if (descriptor_ >= 0)
                return true;
            if (errno != EOPNOTSUPP && errno != EISDIR)
                return false;
        }
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = NextName();
            descriptor_ = ::open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
            if (descriptor_ >= 0) {
                name_ = name;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }
    int Descriptor() const { return descriptor_; }
    // The file's name, linking an unnamed file in first; false with errno set
    // when that fails.
    bool Name()
    {
        if (!name_.empty())
            return true;
        const std::string handle = "/proc/self/fd/" + NumberText(descriptor_);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = NextName();
            if (::linkat(AT_FDCWD, handle.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                name_ = name;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }
    const std::string& FileName() const { return name_; }
    void Keep() { kept_ = true; }

private:
    std::string NextName()
    {
        static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
        std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
        std::string name = (folder_ / pattern_).string();
        for (int i = 0; i < 6; ++i)
            name += kLetters[pick(random_)];
        return name;
    }

    fs::path folder_;
    std::string pattern_;
    std::string name_;
    int descriptor_ = -1;
    bool kept_ = false;
    std::minstd_rand random_{std::random_device{}()};
};

// Moves from onto to unless to exists; false when it does.
bool RenameWithoutReplacing(const char* from, const char* to, const std::string& path)
{
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        ThrowWriteError(path, Reason(errno));
    // A file system without the flag: a new link fails as well when the name is taken.
    if (::link(from, to) != 0) {
        if (errno == EEXIST)
            return false;
        ThrowWriteError(path, Reason(errno));
    }
    ::unlink(from);
    return true;
}

// The permission bits of an existing file, with the owner's standing for
// what the user may do with it: the replacement is the user's own file.
mode_t KeptPermissions(const char* target, const struct stat& info)
{
    mode_t mode = info.st_mode & 0777;
    if (::access(target, R_OK) == 0)
        mode |= S_IRUSR;
    if (::access(target, W_OK) == 0)
        mode |= S_IWUSR;
    if (::access(target, X_OK) == 0)
        mode |= S_IXUSR;
    return mode;
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    WriteFileAtomically(path, bytes, AtomicWriteOptions{});
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, const AtomicWriteOptions& options)
{
    const fs::path target = FollowLinks(path);
    const std::string targetName = target.string();
    struct stat info {};
    const bool exists = ::stat(targetName.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        ThrowWriteError(path, "It is a folder.");
    // The rename below needs only the folder's permission; a file the user may
    // not change must stay as it is, as a plain write would leave it.
    if (exists && ::access(targetName.c_str(), W_OK) != 0)
        ThrowWriteError(path, Reason(errno));
    TemporaryFile temp(target.parent_path(), "." + target.filename().string() + ".");
    if (!temp.Open())
        ThrowWriteError(path, std::strerror(errno));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(temp.Descriptor(), bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ThrowWriteError(path, std::strerror(errno));
        written += static_cast<std::size_t>(n);
    }
    // A new file gets the permissions a plain create would have given it, not
    // the private ones of a temporary; a replaced file keeps its own.
    ::fchmod(temp.Descriptor(), exists ? KeptPermissions(targetName.c_str(), info) : 0644);

    // The temporary gets its name (an unnamed file is linked in) before the
    // last word of beforeRename, so that nothing the file system shows comes
    // after it but the rename.
    if (!temp.Name())
        ThrowWriteError(path, Reason(errno));
    if (options.beforeRename)
        options.beforeRename();
    if (!options.replaceExisting) {
        if (!RenameWithoutReplacing(temp.FileName().c_str(), targetName.c_str(), path))
            return false;
        temp.Keep();
        return true;
    }
    if (::rename(temp.FileName().c_str(), targetName.c_str()) != 0)
        ThrowWriteError(path, Reason(errno));
    temp.Keep();
    return true;
}

} // namespace pictaron
