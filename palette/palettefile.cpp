#include "palette/palettefile.h"

#include "components/errors.h"
#include "components/pathnames.h"
#include "components/plaintext.h"
#include "components/regularfile.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace pictaron {

namespace {

// The most bytes each kind of palette file can take up. A larger file is no
// palette of that kind, and none is read further than that.
// - JASC: three lines of header and at most 256 colour lines, of up to 63
//   characters each even with stray spaces or numbers;
constexpr std::int64_t kJascMaxBytes = 259 * 64;
// - RIFF: the 24 bytes of header and 256 entries of four bytes, and the four
//   zero bytes some writers end the data chunk with (this program's own
//   web-safe file among them);
constexpr std::int64_t kRiffMaxBytes = 24 + 4 * 256 + 4;
// - ACT: 256 colours of three bytes, then the colour count and the index of
//   the transparent colour that newer writers add;
constexpr std::int64_t kActMaxBytes = 3 * 256 + 4;
// - GIF: a picture of any length; only its header, its logical screen
//   descriptor and the largest global colour table are read.
constexpr std::int64_t kGifHeadBytes = 6 + 7 + 3 * 256;

Palette BlackPalette()
{
    return Palette(kMaxPaletteEntries);
}

[[noreturn]] void ThrowNoColours(const std::string& path)
{
    throw PictaronError(Substitute("The palette file %1 holds no colours.", path));
}

[[noreturn]] void ThrowNotAPalette(const std::string& path, std::string_view reason)
{
    throw PictaronError(Substitute("The palette file %1 %2", path, reason));
}

// A number of a JASC line: ASCII white space around it, a sign; 0 for
// anything else and for a number beyond int.
int JascNumber(std::string_view text)
{
    const std::optional<std::int64_t> number = ParseWholeNumber(text);
    return number && *number >= std::numeric_limits<int>::min() && *number <= std::numeric_limits<int>::max()
        ? static_cast<int>(*number)
        : 0;
}

// The lines of a text with LF or CR LF line ends.
std::vector<std::string_view> JascLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (;;) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(text);
            return lines;
        }
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text.remove_prefix(end + 1);
    }
}

// Three lines of header (signature, version, count), then one line per
// colour: red, green and blue separated by single spaces. Each space splits,
// so two spaces make an empty field that counts as 0.
Palette ReadJascPalette(const std::string& path, std::string_view bytes)
{
    std::vector<std::string_view> lines = JascLines(bytes);
    if (lines.size() > 1 && lines.back().empty())
        lines.pop_back();  // the line end of the last line starts no new line
    const int count = std::min(lines.size() > 2 ? JascNumber(lines[2]) : 0, kMaxPaletteEntries);
    if (count <= 0)
        ThrowNoColours(path);

    Palette palette = BlackPalette();
    palette.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int lineNumber = i + 4;
        if (static_cast<std::size_t>(lineNumber) > lines.size())
            throw PictaronError(Substitute("The palette file %1 ends at line %2, but its count asks for %3 colours.",
                                           path, lines.size(), count));
        const Texts fields = SplitAt(lines[static_cast<std::size_t>(lineNumber - 1)], ' ');
        if (fields.size() < 3)
            throw PictaronError(
                Substitute("Line %1 of the palette file %2 does not hold three numbers.", lineNumber, path));
        PaletteEntry& entry = palette[static_cast<std::size_t>(i)];
        entry.red = static_cast<std::uint8_t>(JascNumber(fields[0]) & 0xFF);
        entry.green = static_cast<std::uint8_t>(JascNumber(fields[1]) & 0xFF);
        entry.blue = static_cast<std::uint8_t>(JascNumber(fields[2]) & 0xFF);
    }
    return palette;
}

int LittleEndian16(std::string_view bytes, int offset)
{
    return static_cast<std::uint8_t>(bytes[offset]) | static_cast<std::uint8_t>(bytes[offset + 1]) << 8;
}

// "RIFF", the RIFF size, "PAL ", the data chunk's identifier and size, a
// version and a count of 16 bits each, then red, green, blue and a flag byte
// per entry. Entries the file does not hold stay black.
Palette ReadRiffPalette(const std::string& path, std::string_view bytes)
{
    constexpr int kCountOffset = 22;
    constexpr int kFirstEntry = 24;
    Palette palette = BlackPalette();
    if (!bytes.starts_with("RIFF") || bytes.substr(std::min<std::size_t>(8, bytes.size()), 4) != "PAL ")
        ThrowNotAPalette(path, "is neither a JASC nor a RIFF palette.");
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (size > kRiffMaxBytes)
        ThrowNotAPalette(path, Substitute("is %1 long; a RIFF palette holds at most %2.", DescribeFileSize(size),
                                          DescribeFileSize(kRiffMaxBytes)));
    if (size < kFirstEntry)
        throw PictaronError(Substitute("The palette file %1 is cut short.", path));
    const int count = std::min(LittleEndian16(bytes, kCountOffset), kMaxPaletteEntries);
    if (count == 0)
        ThrowNoColours(path);

    palette.resize(static_cast<std::size_t>(count));
    const int stored = std::min(count, static_cast<int>((size - kFirstEntry) / 4));
    for (int i = 0; i < stored; ++i) {
        const char* entry = bytes.data() + kFirstEntry + 4 * i;
        palette[static_cast<std::size_t>(i)] = PaletteEntry{std::uint8_t(entry[0]), std::uint8_t(entry[1]),
                                                           std::uint8_t(entry[2]), std::uint8_t(entry[3])};
    }
    return palette;
}

// count colours of three bytes from offset on into entries 0 upwards. A byte
// the file does not hold repeats the same channel of the entry before (black
// for entry 0), as the program always read short tables.
void ReadColourTriples(std::string_view bytes, std::size_t offset, int count, Palette& palette)
{
    std::uint8_t previous[3] = {0, 0, 0};
    for (int i = 0; i < count; ++i) {
        std::uint8_t channel[3];
        for (int c = 0; c < 3; ++c) {
            const std::size_t at = offset + 3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(c);
            channel[c] = at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) : previous[c];
            previous[c] = channel[c];
        }
        palette[static_cast<std::size_t>(i)] = PaletteEntry{channel[0], channel[1], channel[2], 0};
    }
}

// "GIF" and a version, the logical screen descriptor (the packed field is its
// fifth byte), then the global colour table when the packed field says so.
// A GIF without a global table gives 256 black entries.
Palette ReadGifColourTable(const std::string& path, std::string_view bytes)
{
    constexpr int kPackedOffset = 10;
    constexpr int kTableOffset = 13;
    Palette palette = BlackPalette();
    if (!bytes.starts_with("GIF"))
        ThrowNotAPalette(path, "is not a GIF file.");
    if (bytes.size() < kTableOffset)
        ThrowNotAPalette(path, "ends inside the GIF header.");
    const int packed = static_cast<std::uint8_t>(bytes[kPackedOffset]);
    if (packed & 0x80)
        ReadColourTriples(bytes, kTableOffset, 1 << ((packed & 7) + 1), palette);
    return palette;
}

} // namespace

Palette LoadPaletteFile(const std::string& path)
{
    const std::string extension = AsciiLower(SuffixOf(path));
    if (extension == "pal") {
        const std::string bytes = ReadWholeFile(path, std::max(kJascMaxBytes, kRiffMaxBytes));
        return bytes.starts_with("JASC-PAL") ? ReadJascPalette(path, bytes) : ReadRiffPalette(path, bytes);
    }
    if (extension == "act") {
        const std::string bytes = ReadWholeFile(path, kActMaxBytes);
        if (bytes.empty())
            ThrowNoColours(path);
        Palette palette = BlackPalette();
        ReadColourTriples(bytes, 0, kMaxPaletteEntries, palette);
        return palette;
    }
    if (extension == "gif")
        return ReadGifColourTable(path, ReadFileStart(path, kGifHeadBytes));
    ThrowNotAPalette(path, "is not one Pictaron reads: palettes come from .pal, .act and .gif files.");
}

} // namespace pictaron
