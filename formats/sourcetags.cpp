#include "formats/sourcetags.h"

#include "components/moduleloader.h"
#include "effects/pixels.h"
#include "formats/colourprofile.h"
#include "formats/exifcodec.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace pictaron {

namespace {

// The keys under which the tags ride on the picture (Bitmap text, which every
// copy of the picture keeps and nothing writes out).
constexpr char kOrientationKey[] = "pictaron.orientation";
constexpr char kAppliedKey[] = "pictaron.orientation-applied";
constexpr char kProfileNameKey[] = "pictaron.profile-name";
constexpr char kConvertedKey[] = "pictaron.profile-converted";
constexpr char kIccKey[] = "pictaron.icc";
constexpr char kExifKey[] = "pictaron.exif";
constexpr char kXmpKey[] = "pictaron.xmp";
constexpr char kWholeSizeKey[] = "pictaron.whole-size";

std::uint32_t BigEndian32(const unsigned char* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}
std::uint32_t LittleEndian32(const unsigned char* bytes)
{
    return std::uint32_t{bytes[3]} << 24 | std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[1]} << 8 | bytes[0];
}

const LazyModule exifModule({PICTARON_EXIF_MODULE_NAME, PICTARON_EXIF_MODULE_INSTALLED,
                             PICTARON_EXIF_MODULE_BUILT},
                            {"PictaronReadExifOrientation", "PictaronExifOfTextFields"});

constexpr char kExifWhat[] = "The EXIF module";

// An EXIF block (the TIFF structure, as RawTags holds it) with the Artist and
// Copyright a container declared outside one; empty when it declared neither.
std::string ExifOfFields(std::string_view artist, std::string_view copyright)
{
    // A field is text of a sensible length, up to its first NUL.
    const auto field = [](std::string_view text) { return text.substr(0, text.find('\0')).substr(0, 4096); };
    const std::string_view artistField = field(artist);
    const std::string_view copyrightField = field(copyright);
    if (artistField.empty() && copyrightField.empty())
        return std::string();
    std::string block;
    exifModule.Required<PictaronExifOfTextFieldsFn>(1, kExifWhat)(&artistField, &copyrightField, &block);
    return block;
}

// The zlib stream inflated, stopping once it passes limit bytes (so a bomb
// costs limit + 1 bytes at most); empty when the stream is damaged or cut.
std::string Inflated(std::string_view stream, std::size_t limit)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return std::string();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    std::string out;
    int status = Z_OK;
    while (status == Z_OK && out.size() <= limit) {
        const std::size_t done = out.size();
        out.resize(std::min<std::size_t>(limit + 1, std::max<std::size_t>(2 * done, 64 << 10)));
        z.next_out = reinterpret_cast<Bytef*>(out.data() + done);
        z.avail_out = static_cast<uInt>(out.size() - done);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(out.size() - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_out > 0)
            break;  // no input left before the stream's end
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : std::string();
}

// The text of a PNG text chunk keyed as XMP, and whether it is compressed.
struct PngText {
    std::string_view text;
    bool compressed = false;
};

// tEXt: key, NUL, text. zTXt: key, NUL, method 0, zlib stream. iTXt: key,
// NUL, compressed flag, method 0, language, NUL, translated key, NUL, text.
std::optional<PngText> XmpText(std::string_view type, std::string_view data)
{
    constexpr std::string_view key("XML:com.adobe.xmp\0", 18);
    if (!data.starts_with(key))
        return std::nullopt;
    std::size_t at = key.size();
    if (type == "tEXt")
        return PngText{data.substr(at), false};
    if (type == "zTXt")
        return data.size() > at && data[at] == 0 ? std::optional(PngText{data.substr(at + 1), true}) : std::nullopt;
    if (data.size() < at + 2 || (data[at] != 0 && data[at] != 1) || data[at + 1] != 0)
        return std::nullopt;
    const bool compressed = data[at] == 1;
    at += 2;
    for (int field = 0; field < 2; ++field) {  // the language and the translated key
        const std::size_t nul = data.find('\0', at);
        if (nul == std::string_view::npos)
            return std::nullopt;
        at = nul + 1;
    }
    return PngText{data.substr(at), compressed};
}

} // namespace

int ExifOrientation(std::string_view exif)
{
    if (exif.empty() || exif.size() > 0xFFFF * 16)
        return 1;
    return exifModule.Required<PictaronReadExifOrientationFn>(0, kExifWhat)(&exif);
}

ChunkTags PngChunkTags(std::string_view png)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(png.data());
    const std::size_t size = png.size();
    ChunkTags tags;
    // At most one iTXt and one tEXt or zTXt are looked into, so that a file
    // of many compressed chunks costs one inflation of each kind, not many.
    bool itxtSeen = false;
    bool textSeen = false;
    std::string textXmp;
    std::size_t at = 8;  // the signature
    while (at + 12 <= size) {
        const std::uint32_t length = BigEndian32(bytes + at);
        if (length > size - at - 12)
            break;
        const std::string_view type = png.substr(at + 4, 4);
        if (type == "IEND")
            break;
        const bool wanted = (type == "eXIf" && tags.exif.empty()) || (type == "iTXt" && !itxtSeen)
            || ((type == "tEXt" || type == "zTXt") && !textSeen);
        const std::string_view data = wanted ? png.substr(at + 8, length) : std::string_view();
        const auto crcMatches = [&] {
            const auto crc = static_cast<std::uint32_t>(crc32(0, bytes + at + 4, static_cast<uInt>(length) + 4));
            return crc == BigEndian32(bytes + at + 8 + length);
        };
        if (wanted && crcMatches()) {
            if (type == "eXIf") {
                tags.exif = std::string(data);  // a copy: the file may be mapped
            } else if (const std::optional<PngText> text = XmpText(type, data)) {
                std::string xmp = text->compressed ? Inflated(text->text, kMaxXmpBytes) : std::string(text->text);
                if (xmp.size() > kMaxXmpBytes)
                    xmp.clear();
                if (type == "iTXt") {
                    itxtSeen = true;
                    tags.xmp = xmp;
                } else {
                    textSeen = true;
                    textXmp = xmp;
                }
            }
        }
        at += 12 + static_cast<std::size_t>(length);
    }
    if (!itxtSeen)
        tags.xmp = textXmp;
    return tags;
}

ChunkTags WebpChunkTags(std::string_view webp)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(webp.data());
    ChunkTags tags;
    if (webp.size() < 12 || !webp.starts_with("RIFF") || webp.substr(8, 4) != "WEBP")
        return tags;
    // The RIFF size counts from the file type on; a file cut short ends sooner.
    const std::size_t end = std::min<std::uint64_t>(webp.size(), 8 + std::uint64_t{LittleEndian32(bytes + 4)});
    std::size_t at = 12;
    while (at + 8 <= end) {
        const std::uint32_t length = LittleEndian32(bytes + at + 4);
        if (length > end - at - 8)
            break;
        const std::string_view type = webp.substr(at, 4);
        const std::string_view data = webp.substr(at + 8, length);
        // Copies: the file may be mapped.
        if (type == "EXIF" && tags.exif.empty()) {
            constexpr std::string_view prefix("Exif\0\0", 6);
            tags.exif = std::string(data.starts_with(prefix) ? data.substr(prefix.size()) : data);
        } else if (type == "XMP " && tags.xmp.empty() && length <= kMaxXmpBytes) {
            tags.xmp = std::string(data);
        }
        // A chunk of odd length is followed by a padding byte.
        at += 8 + static_cast<std::size_t>(length) + (length & 1);
    }
    return tags;
}

Bitmap ApplyOrientation(const Bitmap& source, int orientation)
{
    if (orientation < 2 || orientation > 8)
        return source;
    const bool plane = source.format() == Bitmap::Format_Grayscale8;
    const Bitmap picture = plane ? source : ToWorkingBitmap(source);
    const int w = picture.width();
    const int h = picture.height();
    const bool across = orientation >= 5;  // width and height change places
    Bitmap turned = plane ? Bitmap(across ? h : w, across ? w : h, Bitmap::Format_Grayscale8)
                          : NewWorkingBitmap(across ? h : w, across ? w : h);
    if (turned.isNull())
        ThrowOutOfMemory(turned.width(), turned.height());
    const int bytes = plane ? 1 : 3;
    const int outWidth = turned.width();
    for (int y = 0; y < turned.height(); ++y) {
        std::uint8_t* out = turned.scanLine(y);
        for (int x = 0; x < outWidth; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
            case 2: sx = w - 1 - x; sy = y; break;
            case 3: sx = w - 1 - x; sy = h - 1 - y; break;
            case 4: sx = x; sy = h - 1 - y; break;
            case 5: sx = y; sy = x; break;
            case 6: sx = y; sy = h - 1 - x; break;
            case 7: sx = w - 1 - y; sy = h - 1 - x; break;
            case 8: sx = w - 1 - y; sy = x; break;
            }
            std::memcpy(out + bytes * x, picture.constScanLine(sy) + bytes * sx, bytes);
        }
    }
    return turned;
}

Bitmap FinishPicture(Bitmap picture, RawTags& raw, const LoadOptions& options, Texts& warnings)
{
    SourceTags tags;
    tags.exif = raw.exif.empty() ? ExifOfFields(raw.containerArtist, raw.containerCopyright) : raw.exif;
    tags.xmp = raw.xmp;
    const bool fromContainer = raw.exif.empty() || raw.containerOrientationFirst;
    tags.orientation = fromContainer ? raw.containerOrientation : ExifOrientation(raw.exif);
    if (tags.orientation < 1 || tags.orientation > 8)
        tags.orientation = 1;
    if (raw.iccDamaged)
        warnings.push_back("its colour profile is damaged");
    if (raw.icc.size() > kMaxProfileBytes) {
        warnings.push_back(Substitute("its colour profile is larger than %1 MB", kMaxProfileBytes >> 20));
    } else if (!raw.icc.empty()) {
        const ProfileFacts facts = InspectProfile(raw.icc);
        if (!facts.readable) {
            warnings.push_back(facts.problem);
        } else {
            tags.icc = raw.icc;
            tags.profileName = facts.name;
            tags.profileConverted = raw.cmykConverted;
            if (options.convertToSrgb && !facts.actsAsSrgb
                && (facts.space == ProfileSpace::Rgb || facts.space == ProfileSpace::Grey)) {
                picture = ToWorkingBitmap(picture);
                std::string problem;
                if (ConvertToSrgb(picture, raw.icc, problem))
                    tags.profileConverted = true;
                else
                    warnings.push_back(problem);
            }
        }
    }
    if (options.applyOrientation && tags.orientation != 1) {
        picture = ApplyOrientation(picture, tags.orientation);
        if (!raw.alpha.isNull())
            raw.alpha = ApplyOrientation(raw.alpha, tags.orientation);
        tags.orientationApplied = true;
    }
    const bool turned = tags.orientationApplied && tags.orientation >= 5;
    tags.wholeSize = turned ? raw.storedSize.transposed() : raw.storedSize;
    if (!tags.IsEmpty())
        AttachSourceTags(picture, tags);
    return picture;
}

void AttachSourceTags(Bitmap& picture, const SourceTags& tags)
{
    picture.setText(kOrientationKey, NumberText(tags.orientation));
    picture.setText(kAppliedKey, tags.orientationApplied ? "1" : "0");
    picture.setText(kProfileNameKey, tags.profileName);
    picture.setText(kConvertedKey, tags.profileConverted ? "1" : "0");
    picture.setText(kIccKey, tags.icc);
    picture.setText(kExifKey, tags.exif);
    picture.setText(kXmpKey, tags.xmp);
    if (!tags.wholeSize.isEmpty())
        picture.setText(kWholeSizeKey, Substitute("%1x%2", tags.wholeSize.width(), tags.wholeSize.height()));
}

SourceTags SourceTagsOf(const Bitmap& picture)
{
    SourceTags tags;
    const std::string orientation = picture.text(kOrientationKey);
    if (orientation.empty())
        return tags;
    tags.orientation = static_cast<int>(std::clamp<std::int64_t>(ParseWholeNumber(orientation).value_or(0), 1, 8));
    tags.orientationApplied = picture.text(kAppliedKey) == "1";
    tags.profileName = picture.text(kProfileNameKey);
    tags.profileConverted = picture.text(kConvertedKey) == "1";
    tags.icc = picture.text(kIccKey);
    tags.exif = picture.text(kExifKey);
    tags.xmp = picture.text(kXmpKey);
    const Texts whole = SplitAt(picture.text(kWholeSizeKey), 'x');
    const auto side = [](const std::string& text) {
        return static_cast<int>(ParseWholeNumber(text).value_or(0));
    };
    if (whole.size() == 2)
        tags.wholeSize = Size(side(whole[0]), side(whole[1]));
    return tags;
}

std::string DescribeAppliedTags(const SourceTags& tags)
{
    Texts done;
    if (tags.orientationApplied) {
        static const char* const kTurns[] = {"",
                                             "",
                                             "mirrored",
                                             "rotated 180°",
                                             "flipped",
                                             "mirrored and rotated 270°",
                                             "rotated 90°",
                                             "mirrored and rotated 90°",
                                             "rotated 270°"};
        done.push_back(kTurns[tags.orientation]);
    }
    if (tags.profileConverted)
        done.push_back("converted from " + tags.profileName);
    return JoinTexts(done, ", ");
}

} // namespace pictaron
