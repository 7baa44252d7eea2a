#include "components/atomicfile.h"

#include "components/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

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

} // namespace

void WriteFileAtomically(const QString& path, const QByteArray& bytes)
{
    const QFileInfo target(path);
    if (target.isDir())
        ThrowWriteError(path, QStringLiteral("It is a folder."));
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

    std::error_code error;
    std::filesystem::rename(temp.fileName().toStdString(), target.absoluteFilePath().toStdString(), error);
    if (error)
        ThrowWriteError(path, QString::fromStdString(error.message()) + QLatin1Char('.'));
    temp.setAutoRemove(false);
}

} // namespace pictaron
