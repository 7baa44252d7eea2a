#include "colour/websafefile.h"

#include "colour/pickerpalette.h"
#include "components/atomicfile.h"
#include "components/errors.h"
#include "components/qtbridge.h"
#include "palette/palette.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pictaron {

namespace {

void AppendLittleEndian(QByteArray& bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

#ifdef Q_OS_UNIX
QString SystemError() { return QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char('.'); }

// Creates the folder owner-only, or accepts an existing one only when it is a
// real folder (not a link) that belongs to the user; wider rights are narrowed.
void MakePrivateFolder(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        throw PictaronError(QStringLiteral("Cannot create the folder %1.  %2").arg(folder, SystemError()).toStdString());
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        throw PictaronError(QStringLiteral("Cannot use the folder %1.  %2").arg(folder, SystemError()).toStdString());
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        throw PictaronError(QStringLiteral("The folder %1 is not a folder of your own, so nothing is written "
                                           "into it.").arg(folder).toStdString());
    if ((info.st_mode & 077) != 0 && ::chmod(name.constData(), 0700) != 0)
        throw PictaronError(QStringLiteral("Cannot make the folder %1 private.  %2").arg(folder, SystemError()).toStdString());
}

// True when path is a regular file; a link or anything else in its place is
// removed so that the atomic write puts a fresh file there.
bool RegularFileInPlace(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0)
        return false;
    if (S_ISREG(info.st_mode))
        return true;
    if (::unlink(name.constData()) != 0)
        throw PictaronError(QStringLiteral("Cannot remove %1.  %2").arg(path, SystemError()).toStdString());
    return false;
}
#endif

} // namespace

QByteArray WebSafePaletteFileBytes()
{
    constexpr int kEntries = 256;
    QByteArray bytes("RIFF");
    AppendLittleEndian(bytes, 4 + 8 + 4 + 4 * kEntries + 4, 4); // 1044
    bytes.append("PAL data");
    AppendLittleEndian(bytes, 4 + 4 * kEntries + 4, 4);         // 1032
    AppendLittleEndian(bytes, 0x0300, 2);
    AppendLittleEndian(bytes, kEntries, 2);
    // The shared web-safe palette runs from black up; the file runs down from white.
    const Palette cube = WebSafePalette();
    for (auto it = cube.rbegin(); it != cube.rend(); ++it)
        bytes.append(static_cast<char>(it->red)).append(static_cast<char>(it->green))
            .append(static_cast<char>(it->blue)).append('\0');
    bytes.append(QByteArray(4 * (kEntries - static_cast<int>(cube.size())), '\0'));
    // The data chunk is 1032 bytes long: four zero bytes follow the entries.
    bytes.append(QByteArray(4, '\0'));
    return bytes;
}

PickerPalette BuiltInWebSafePalette()
{
    const Palette cube = WebSafePalette();
    PickerPalette palette;
    palette.count = kPickerCells;
    std::copy(cube.rbegin(), cube.rend(), palette.entries.begin());
    return palette;
}

QString WebSafePaletteFolder()
{
#ifdef Q_OS_UNIX
    return QDir::tempPath() + QStringLiteral("/pictaron-") + QString::number(::getuid());
#else
    return QDir::tempPath() + QStringLiteral("/pictaron");
#endif
}

QString WebSafePalettePath()
{
    return WebSafePaletteFolder() + QStringLiteral("/websafe.pal");
}

void EnsureWebSafePaletteFile(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
#ifdef Q_OS_UNIX
    MakePrivateFolder(folder);
    if (RegularFileInPlace(path))
        return;
#else
    if (!QDir().mkpath(folder))
        throw PictaronError(QStringLiteral("Cannot create the folder %1.").arg(folder).toStdString());
    if (QFileInfo(path).isFile() && !QFileInfo(path).isSymLink())
        return;
#endif
    WriteFileAtomically(ToUtf8(path), BytesView(WebSafePaletteFileBytes()));
}

} // namespace pictaron
