#include "components/atomicfile.h"

#include "components/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>

#include <unistd.h>

namespace pictaron {

namespace {

[[noreturn]] void ThrowWriteError(const QString& path, const QString& reason)
{
    throw PictaronError(QStringLiteral("Cannot write %1.  %2").arg(QDir::toNativeSeparators(path), reason));
}

// Written without Qt's buffer: a buffered flush that fails half-way reports
// only "Unknown error", while a direct write says why (a full disk, a size
// limit).
class UnbufferedTemporaryFile : public QTemporaryFile {
public:
    using QTemporaryFile::QTemporaryFile;
    bool OpenUnbuffered() { return open(QIODevice::ReadWrite | QIODevice::Unbuffered); }
};

// The file a path names once its symbolic links are followed, also when the
// last one points at nothing yet: saving through a link writes the file it
// points to and leaves the link a link. A chain that never ends is an error.
QString FollowLinks(const QString& path)
{
    namespace fs = std::filesystem;
    fs::path current = QFile::encodeName(QFileInfo(path).absoluteFilePath()).toStdString();
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            return QFile::decodeName(QByteArray::fromStdString(current.string()));
        const fs::path next = fs::read_symlink(current, error);
        if (error)
            ThrowWriteError(path, QString::fromStdString(error.message()) + QLatin1Char('.'));
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    ThrowWriteError(path, QStringLiteral("Too many levels of symbolic links."));
}

// Moves from onto to unless to exists; false when it does.
bool RenameWithoutReplacing(const QByteArray& from, const QByteArray& to, const QString& path)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        ThrowWriteError(path, QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char('.'));
    // A file system without the flag: a new link fails as well when the name is taken.
    if (::link(from.constData(), to.constData()) != 0) {
        if (errno == EEXIST)
            return false;
        ThrowWriteError(path, QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char('.'));
    }
    ::unlink(from.constData());
    return true;
}

} // namespace

void WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    WriteFileAtomically(path, bytes, AtomicWriteOptions{});
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, const AtomicWriteOptions& options)
{
    const QFileInfo target(FollowLinks(path));
    if (target.isDir())
        ThrowWriteError(path, QStringLiteral("It is a folder."));
    // The rename below needs only the folder's permission; a file the user may
    // not change must stay as it is, as a plain write would leave it.
    if (target.exists() && ::access(QFile::encodeName(target.absoluteFilePath()).constData(), W_OK) != 0)
        ThrowWriteError(path, QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char('.'));
    UnbufferedTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName()
                                 + QStringLiteral(".XXXXXX"));
    if (!temp.OpenUnbuffered())
        ThrowWriteError(path, temp.errorString());
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = temp.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            ThrowWriteError(path, temp.errorString());
        written += n;
    }
    if (!temp.flush())
        ThrowWriteError(path, temp.errorString());
    // A new file gets the permissions a plain create would have given it, not
    // the private ones of a temporary; a replaced file keeps its own.
    temp.setPermissions(target.exists() ? target.permissions()
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                              | QFile::ReadOther);
    temp.close();
    if (temp.error() != QFileDevice::NoError)
        ThrowWriteError(path, temp.errorString());

    // The temporary gets its name (an unnamed file is linked in) before the
    // last word of beforeRename, so that nothing the file system shows comes
    // after it but the rename.
    const QString tempName = temp.fileName();
    if (options.beforeRename)
        options.beforeRename();
    if (!options.replaceExisting) {
        if (!RenameWithoutReplacing(QFile::encodeName(tempName), QFile::encodeName(target.absoluteFilePath()), path))
            return false;
        temp.setAutoRemove(false);
        return true;
    }
    std::error_code error;
    std::filesystem::rename(tempName.toStdString(), target.absoluteFilePath().toStdString(), error);
    if (error)
        ThrowWriteError(path, QString::fromStdString(error.message()) + QLatin1Char('.'));
    temp.setAutoRemove(false);
    return true;
}

} // namespace pictaron
