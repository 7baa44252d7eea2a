#include "palette/palettefile.h"

#include "components/qtbridge.h"
#include "components/regularfile.h"
#include "components/errors.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace pictaron {

namespace {

// The most bytes each kind of palette file can take up. A larger file is no
// palette of that kind, and none is read further than that.
// - JASC: three lines of header and at most 256 colour lines, of up to 63
//   characters each even with stray spaces or numbers;
constexpr qint64 kJascMaxBytes = 259 * 64;
// - RIFF: the 24 bytes of header and 256 entries of four bytes, and the four
//   zero bytes some writers end the data chunk with (this program's own
//   web-safe file among them);
constexpr qint64 kRiffMaxBytes = 24 + 4 * 256 + 4;
// - ACT: 256 colours of three bytes, then the colour count and the index of
//   the transparent colour that newer writers add;
constexpr qint64 kActMaxBytes = 3 * 256 + 4;
// - GIF: a picture of any length; only its header, its logical screen
//   descriptor and the largest global colour table are read.
constexpr qint64 kGifHeadBytes = 6 + 7 + 3 * 256;

Palette BlackPalette()
{
    return Palette(kMaxPaletteEntries);
}

[[noreturn]] void ThrowNoColours(const QString& path)
{
    throw PictaronError(QStringLiteral("The palette file %1 holds no colours.").arg(QDir::toNativeSeparators(path)));
}

[[noreturn]] void ThrowNotAPalette(const QString& path, const QString& reason)
{
    throw PictaronError(QStringLiteral("The palette file %1 %2").arg(QDir::toNativeSeparators(path), reason));
}

// Three lines of header (signature, version, count), then one line per
// colour: red, green and blue separated by single spaces. Each space splits,
// so two spaces make an empty field that counts as 0.
Palette ReadJascPalette(const QString& path, const QByteArray& bytes)
{
    const QString name = QDir::toNativeSeparators(path);
    QStringList lines = QString::fromLatin1(bytes).split(QRegularExpression(QStringLiteral("\r?\n")));
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast();  // the line end of the last line starts no new line
    const int count = std::min(lines.value(2).toInt(), kMaxPaletteEntries);
    if (count <= 0)
        ThrowNoColours(path);

    Palette palette = BlackPalette();
    palette.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int lineNumber = i + 4;
        if (lineNumber > lines.size())
            throw PictaronError(QStringLiteral("The palette file %1 ends at line %2, but its count asks for %3 colours.")
                                    .arg(name).arg(lines.size()).arg(count));
        const QStringList fields = lines[lineNumber - 1].split(QLatin1Char(' '));
        if (fields.size() < 3)
            throw PictaronError(QStringLiteral("Line %1 of the palette file %2 does not hold three numbers.")
                                    .arg(lineNumber).arg(name));
        PaletteEntry& entry = palette[static_cast<std::size_t>(i)];
        entry.red = static_cast<std::uint8_t>(fields[0].toInt() & 0xFF);
        entry.green = static_cast<std::uint8_t>(fields[1].toInt() & 0xFF);
        entry.blue = static_cast<std::uint8_t>(fields[2].toInt() & 0xFF);
    }
    return palette;
}

int LittleEndian16(const QByteArray& bytes, int offset)
{
    return static_cast<std::uint8_t>(bytes[offset]) | static_cast<std::uint8_t>(bytes[offset + 1]) << 8;
}

// "RIFF", the RIFF size, "PAL ", the data chunk's identifier and size, a
// version and a count of 16 bits each, then red, green, blue and a flag byte
// per entry. Entries the file does not hold stay black.
Palette ReadRiffPalette(const QString& path, const QByteArray& bytes)
{
    constexpr int kCountOffset = 22;
    constexpr int kFirstEntry = 24;
    Palette palette = BlackPalette();
    if (!bytes.startsWith("RIFF") || bytes.mid(8, 4) != "PAL ")
        ThrowNotAPalette(path, QStringLiteral("is neither a JASC nor a RIFF palette."));
    if (bytes.size() > kRiffMaxBytes)
        ThrowNotAPalette(path, QStringLiteral("is %1 long; a RIFF palette holds at most %2.")
                                   .arg(ToQString(DescribeFileSize(bytes.size())), ToQString(DescribeFileSize(kRiffMaxBytes))));
    if (bytes.size() < kFirstEntry)
        throw PictaronError(QStringLiteral("The palette file %1 is cut short.").arg(QDir::toNativeSeparators(path)));
    const int count = std::min(LittleEndian16(bytes, kCountOffset), kMaxPaletteEntries);
    if (count == 0)
        ThrowNoColours(path);

    palette.resize(static_cast<std::size_t>(count));
    const int stored = std::min(count, static_cast<int>((bytes.size() - kFirstEntry) / 4));
    for (int i = 0; i < stored; ++i) {
        const char* entry = bytes.constData() + kFirstEntry + 4 * i;
        palette[static_cast<std::size_t>(i)] = PaletteEntry{std::uint8_t(entry[0]), std::uint8_t(entry[1]),
                                                           std::uint8_t(entry[2]), std::uint8_t(entry[3])};
    }
    return palette;
}

// count colours of three bytes from offset on into entries 0 upwards. A byte
// the file does not hold repeats the same channel of the entry before (black
// for entry 0), as the program always read short tables.
void ReadColourTriples(const QByteArray& bytes, qsizetype offset, int count, Palette& palette)
{
    std::uint8_t previous[3] = {0, 0, 0};
    for (int i = 0; i < count; ++i) {
        std::uint8_t channel[3];
        for (int c = 0; c < 3; ++c) {
            const qsizetype at = offset + 3 * i + c;
            channel[c] = at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) : previous[c];
            previous[c] = channel[c];
        }
        palette[static_cast<std::size_t>(i)] = PaletteEntry{channel[0], channel[1], channel[2], 0};
    }
}

// "GIF" and a version, the logical screen descriptor (the packed field is its
// fifth byte), then the global colour table when the packed field says so.
// A GIF without a global table gives 256 black entries.
Palette ReadGifColourTable(const QString& path, const QByteArray& bytes)
{
    constexpr int kPackedOffset = 10;
    constexpr int kTableOffset = 13;
    Palette palette = BlackPalette();
    if (!bytes.startsWith("GIF"))
        ThrowNotAPalette(path, QStringLiteral("is not a GIF file."));
    if (bytes.size() < kTableOffset)
        ThrowNotAPalette(path, QStringLiteral("ends inside the GIF header."));
    const int packed = static_cast<std::uint8_t>(bytes[kPackedOffset]);
    if (packed & 0x80)
        ReadColourTriples(bytes, kTableOffset, 1 << ((packed & 7) + 1), palette);
    return palette;
}

} // namespace

Palette LoadPaletteFile(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == QLatin1String("pal")) {
        const QByteArray bytes = ToQByteArray(ReadWholeFile(ToUtf8(path), std::max(kJascMaxBytes, kRiffMaxBytes)));
        return bytes.startsWith("JASC-PAL") ? ReadJascPalette(path, bytes) : ReadRiffPalette(path, bytes);
    }
    if (extension == QLatin1String("act")) {
        const QByteArray bytes = ToQByteArray(ReadWholeFile(ToUtf8(path), kActMaxBytes));
        if (bytes.isEmpty())
            ThrowNoColours(path);
        Palette palette = BlackPalette();
        ReadColourTriples(bytes, 0, kMaxPaletteEntries, palette);
        return palette;
    }
    if (extension == QLatin1String("gif"))
        return ReadGifColourTable(path, ToQByteArray(ReadFileStart(ToUtf8(path), kGifHeadBytes)));
    ThrowNotAPalette(path, QStringLiteral("is not one Pictaron reads: palettes come from .pal, .act and .gif files."));
}

} // namespace pictaron
