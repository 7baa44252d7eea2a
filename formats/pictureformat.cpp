#include "formats/pictureformat.h"

#include "components/plaintext.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace pictaron {

namespace {

std::uint8_t Byte(std::string_view bytes, std::size_t at)
{
    return at < bytes.size() ? static_cast<std::uint8_t>(bytes[at]) : 0;
}

int Little16(std::string_view bytes, std::size_t at)
{
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

bool StartsWith(std::string_view bytes, std::size_t at, const char* signature, std::size_t length)
{
    return bytes.size() >= at + length && std::equal(signature, signature + length, bytes.data() + at);
}

bool IsSpace(std::uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

FormatVerdict Known(PictureFormat format)
{
    return FormatVerdict{true, format, {}};
}

FormatVerdict Refused(std::string reason)
{
    return FormatVerdict{false, PictureFormat::Jpeg, std::move(reason)};
}

// An ISO media file whose first box, "ftyp", names the AVIF brand (still
// picture or sequence) as its major brand or among its compatible ones. Other
// pictures in that container (HEIC) are not offered.
bool IsAvif(std::string_view bytes)
{
    if (!StartsWith(bytes, 4, "ftyp", 4))
        return false;
    const std::size_t boxSize =
        std::size_t{Byte(bytes, 0)} << 24 | Byte(bytes, 1) << 16 | Byte(bytes, 2) << 8 | Byte(bytes, 3);
    if (boxSize < 16 || boxSize > bytes.size())
        return false;
    const auto isAvifBrand = [&](std::size_t at) { return StartsWith(bytes, at, "avif", 4) || StartsWith(bytes, at, "avis", 4); };
    if (isAvifBrand(8))
        return true;
    // The minor version at 12, then the compatible brands.
    for (std::size_t at = 16; at + 4 <= boxSize; at += 4) {
        if (isAvifBrand(at))
            return true;
    }
    return false;
}

// The formats the program offers that have a signature of their own.
std::optional<PictureFormat> FormatBySignature(std::string_view bytes)
{
    if (StartsWith(bytes, 0, "\xFF\xD8\xFF", 3))
        return PictureFormat::Jpeg;
    if (StartsWith(bytes, 0, "\x89PNG\r\n\x1A\n", 8))
        return PictureFormat::Png;
    if (StartsWith(bytes, 0, "GIF87a", 6) || StartsWith(bytes, 0, "GIF89a", 6))
        return PictureFormat::Gif;
    // Classic and big TIFF, either byte order.
    if (StartsWith(bytes, 0, "II*\0", 4) || StartsWith(bytes, 0, "MM\0*", 4) || StartsWith(bytes, 0, "II+\0", 4)
        || StartsWith(bytes, 0, "MM\0+", 4))
        return PictureFormat::Tiff;
    if (StartsWith(bytes, 0, "BM", 2) && bytes.size() >= 18)
        return PictureFormat::Bmp;
    if (StartsWith(bytes, 0, "\xB1\x68\xDE\x3A", 4))
        return PictureFormat::Dcx;
    // Manufacturer 10, a known version, run-length or no encoding, and a bit depth.
    const std::uint8_t version = Byte(bytes, 1), encoding = Byte(bytes, 2), bits = Byte(bytes, 3);
    if (bytes.size() >= 128 && Byte(bytes, 0) == 0x0A && (version <= 5 && version != 1) && encoding <= 1
        && (bits == 1 || bits == 2 || bits == 4 || bits == 8))
        return PictureFormat::Pcx;
    // P1 to P7: the plain and binary bitmaps, grey maps, pixel maps and PAM.
    if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '7' && IsSpace(Byte(bytes, 2)))
        return PictureFormat::Pnm;
    if (StartsWith(bytes, 0, "RIFF", 4) && StartsWith(bytes, 8, "WEBP", 4))
        return PictureFormat::Webp;
    if (IsAvif(bytes))
        return PictureFormat::Avif;
    // A Photo CD's image pack starts after 2048 bytes of its own.
    if (StartsWith(bytes, 2048, "PCD_", 4))
        return PictureFormat::Pcd;
    return std::nullopt;
}

// Page descriptions and markup, which the library would hand to other
// programs or read as drawing instructions, named for the refusal.
std::string HostileKind(std::string_view bytes)
{
    if (StartsWith(bytes, 0, "\xC5\xD0\xD3\xC6", 4))
        return "an EPS file";
    std::size_t at = StartsWith(bytes, 0, "\xEF\xBB\xBF", 3) ? 3 : 0;  // a UTF-8 byte order mark
    while (at < bytes.size() && (IsSpace(Byte(bytes, at)) || Byte(bytes, at) == 0x04))  // ^D starts some PostScript
        ++at;
    if (StartsWith(bytes, at, "%!", 2))
        return "a PostScript file";
    if (StartsWith(bytes, at, "%PDF", 4))
        return "a PDF document";
    if (StartsWith(bytes, at, "<", 1))
        return "an SVG drawing or other markup";
    if (StartsWith(bytes, 0, "\xFE\xFF", 2) || StartsWith(bytes, 0, "\xFF\xFE", 2))
        return "text";
    return {};
}

// Text of any kind (the library's drawing scripts, notes): the first bytes
// are all printable.
bool LooksLikeText(std::string_view bytes)
{
    const std::size_t length = std::min<std::size_t>(bytes.size(), 64);
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint8_t c = Byte(bytes, i);
        if (!(IsSpace(c) || (c >= 0x20 && c < 0x7F) || c >= 0x80))
            return false;
    }
    return length > 0;
}

// TGA has no signature; its 18-byte header must at least hold a known image
// type, a colour map only where one belongs, a bit depth and a size.
bool PlausibleTgaHeader(std::string_view bytes)
{
    if (bytes.size() < 18)
        return false;
    const int mapType = Byte(bytes, 1), imageType = Byte(bytes, 2), mapEntryBits = Byte(bytes, 7);
    const int depth = Byte(bytes, 16);
    const bool mapped = imageType == 1 || imageType == 9;
    const bool knownType = mapped || imageType == 2 || imageType == 3 || imageType == 10 || imageType == 11;
    if (!knownType || mapType > 1 || (mapped && mapType != 1))
        return false;
    if (mapType == 1 && !(mapEntryBits == 15 || mapEntryBits == 16 || mapEntryBits == 24 || mapEntryBits == 32))
        return false;
    if (!(depth == 1 || depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32))
        return false;
    return Little16(bytes, 12) > 0 && Little16(bytes, 14) > 0;
}

bool IsTgaName(std::string_view name)
{
    // The extension: what follows the last "." of the name after its folder.
    const std::string_view fileName = name.substr(name.find_last_of('/') + 1);
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view suffix = fileName.substr(dot + 1);
    return EqualsNoCase(suffix, "TGA") || EqualsNoCase(suffix, "ICB") || EqualsNoCase(suffix, "VDA")
        || EqualsNoCase(suffix, "VST");
}

// The canvas of a WebP file from its first chunk: the extended kind's (24
// bits each, less one), the lossless bitstream's (14 bits each, less one) or
// the lossy key frame's (14 bits each after its start code).
std::optional<std::pair<std::int64_t, std::int64_t>> WebpDeclaredSize(std::string_view bytes)
{
    const auto little24 = [&](std::size_t at) {
        return std::int64_t{Byte(bytes, at)} | Byte(bytes, at + 1) << 8 | Byte(bytes, at + 2) << 16;
    };
    if (StartsWith(bytes, 12, "VP8X", 4) && bytes.size() >= 30)
        return std::pair(little24(24) + 1, little24(27) + 1);
    if (StartsWith(bytes, 12, "VP8L", 4) && bytes.size() >= 25 && Byte(bytes, 20) == 0x2F) {
        const std::uint32_t bits = Byte(bytes, 21) | Byte(bytes, 22) << 8 | Byte(bytes, 23) << 16 | std::uint32_t{Byte(bytes, 24)} << 24;
        return std::pair<std::int64_t, std::int64_t>((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1);
    }
    if (StartsWith(bytes, 12, "VP8 ", 4) && bytes.size() >= 30 && StartsWith(bytes, 23, "\x9D\x01\x2A", 3))
        return std::pair<std::int64_t, std::int64_t>(Little16(bytes, 26) & 0x3FFF, Little16(bytes, 28) & 0x3FFF);
    return std::nullopt;
}

} // namespace

FormatVerdict DetectPictureFormat(std::string_view bytes, std::string_view name)
{
    const std::string hostile = HostileKind(bytes);
    if (!hostile.empty())
        return Refused(Substitute("It is %1, not a picture Pictaron opens.", hostile));
    if (const std::optional<PictureFormat> format = FormatBySignature(bytes))
        return Known(*format);
    if (LooksLikeText(bytes))
        return Refused("It is text, not a picture.");
    if (IsTgaName(name)) {
        if (PlausibleTgaHeader(bytes))
            return Known(PictureFormat::Tga);
        return Refused("Its header is not that of a TGA picture.");
    }
    return Refused("It is not a picture in a format Pictaron reads.");
}

std::optional<std::pair<std::int64_t, std::int64_t>> DeclaredSize(PictureFormat format, std::string_view bytes)
{
    const auto big32 = [&](std::size_t at) {
        return std::int64_t{Byte(bytes, at)} << 24 | Byte(bytes, at + 1) << 16 | Byte(bytes, at + 2) << 8 | Byte(bytes, at + 3);
    };
    const auto little32 = [&](std::size_t at) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(Little16(bytes, at))
                                         | static_cast<std::uint32_t>(Little16(bytes, at + 2)) << 16);
    };
    switch (format) {
    case PictureFormat::Png:
        if (!StartsWith(bytes, 12, "IHDR", 4) || bytes.size() < 24)
            return std::nullopt;
        return std::pair(big32(16), big32(20));
    case PictureFormat::Gif:
        if (bytes.size() < 10)
            return std::nullopt;
        return std::pair<std::int64_t, std::int64_t>(Little16(bytes, 6), Little16(bytes, 8));
    case PictureFormat::Bmp: {
        // The 12-byte OS/2 kind has 16-bit sizes; the others 32-bit, the
        // height negative for rows stored top down.
        const std::int32_t headerSize = little32(14);
        if (headerSize == 12 && bytes.size() >= 22)
            return std::pair<std::int64_t, std::int64_t>(Little16(bytes, 18), Little16(bytes, 20));
        if (headerSize < 40 || bytes.size() < 26)
            return std::nullopt;
        return std::pair<std::int64_t, std::int64_t>(little32(18), std::abs(std::int64_t{little32(22)}));
    }
    case PictureFormat::Pcx:
        return std::pair<std::int64_t, std::int64_t>(Little16(bytes, 8) - Little16(bytes, 4) + 1, Little16(bytes, 10) - Little16(bytes, 6) + 1);
    case PictureFormat::Tga:
        return std::pair<std::int64_t, std::int64_t>(Little16(bytes, 12), Little16(bytes, 14));
    case PictureFormat::Webp:
        return WebpDeclaredSize(bytes);
    default:
        return std::nullopt;
    }
}

const char* LibraryCoder(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Jpeg: return "JPEG";
    case PictureFormat::Png: return "PNG";
    case PictureFormat::Gif: return "GIF";
    case PictureFormat::Tiff: return "TIFF";
    case PictureFormat::Bmp: return "BMP";
    case PictureFormat::Pcx: return "PCX";
    case PictureFormat::Dcx: return "DCX";
    case PictureFormat::Pnm: return "PNM";
    case PictureFormat::Webp: return "WEBP";
    case PictureFormat::Avif: return "AVIF";
    case PictureFormat::Pcd: return "PCD";
    case PictureFormat::Tga: return "TGA";
    }
    return "";
}

bool PixelsCanHoldAlpha(PictureFormat format, std::string_view bytes)
{
    switch (format) {
    case PictureFormat::Bmp: {
        // The file header (14 bytes), then the header kind's size and, from
        // the 40-byte kind on, the bits per pixel at its 14th byte. The
        // 12-byte OS/2 kind has no alpha.
        const int headerSize = Little16(bytes, 14);
        if (headerSize < 40)
            return false;
        const int bits = Little16(bytes, 28);
        return bits == 16 || bits == 32;
    }
    case PictureFormat::Tga: {
        // A colour-mapped picture's pixels are its map's entries.
        const bool mapped = Byte(bytes, 2) == 1 || Byte(bytes, 2) == 9;
        const int bits = mapped ? Byte(bytes, 7) : Byte(bytes, 16);
        return bits == 16 || bits == 32;
    }
    default:
        return true;
    }
}

} // namespace pictaron
