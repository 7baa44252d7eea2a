#include "formats/sourcetags.h"

#include "components/moduleloader.h"
#include "effects/pixels.h"
#include "formats/colourprofile.h"
#include "formats/exifcodec.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace pictaron {

namespace {

// The keys under which the tags ride on the picture (Bitmap text, which every
// copy of the picture keeps and nothing writes out).
const std::string kOrientationKey = "pictaron.orientation";
const std::string kAppliedKey = "pictaron.orientation-applied";
const std::string kProfileNameKey = "pictaron.profile-name";
const std::string kConvertedKey = "pictaron.profile-converted";
const std::string kIccKey = "pictaron.icc";
const std::string kExifKey = "pictaron.exif";
const std::string kXmpKey = "pictaron.xmp";
const std::string kWholeSizeKey = "pictaron.whole-size";

const LazyModule exifModule({PICTARON_EXIF_MODULE_NAME, PICTARON_EXIF_MODULE_INSTALLED,
                             PICTARON_EXIF_MODULE_BUILT},
                            {"PictaronReadExifOrientation", "PictaronExifOfTextFields"});

constexpr char kExifWhat[] = "The EXIF module";

// An EXIF block (the TIFF structure, as RawTags holds it) with the Artist and
// Copyright a container declared outside one; empty when it declared neither.
QByteArray ExifOfFields(const QByteArray& artist, const QByteArray& copyright)
{
    // A field is text of a sensible length, up to its first NUL.
    const auto field = [](const QByteArray& text) {
        const qsizetype nul = text.indexOf('\0');
        return (nul < 0 ? text : text.left(nul)).left(4096);
    };
    const QByteArray artistField = field(artist);
    const QByteArray copyrightField = field(copyright);
    if (artistField.isEmpty() && copyrightField.isEmpty())
        return QByteArray();
    QByteArray block;
    exifModule.Required<PictaronExifOfTextFieldsFn>(1, kExifWhat)(&artistField, &copyrightField, &block);
    return block;
}

// The zlib stream inflated, stopping once it passes limit bytes (so a bomb
// costs limit + 1 bytes at most); empty when the stream is damaged or cut.
QByteArray Inflated(const QByteArray& stream, qsizetype limit)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return QByteArray();
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.constData()));
    z.avail_in = static_cast<uInt>(stream.size());
    QByteArray out;
    int status = Z_OK;
    while (status == Z_OK && out.size() <= limit) {
        const qsizetype done = out.size();
        out.resize(std::min<qsizetype>(limit + 1, std::max<qsizetype>(2 * done, 64 << 10)));
        z.next_out = reinterpret_cast<Bytef*>(out.data() + done);
        z.avail_out = static_cast<uInt>(out.size() - done);
        status = inflate(&z, Z_NO_FLUSH);
        out.resize(out.size() - z.avail_out);
        if (status == Z_BUF_ERROR && z.avail_out > 0)
            break;  // no input left before the stream's end
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : QByteArray();
}

// The text of a PNG text chunk keyed as XMP, and whether it is compressed.
struct PngText {
    QByteArray text;
    bool compressed = false;
};

// tEXt: key, NUL, text. zTXt: key, NUL, method 0, zlib stream. iTXt: key,
// NUL, compressed flag, method 0, language, NUL, translated key, NUL, text.
std::optional<PngText> XmpText(const QByteArray& type, const QByteArray& data)
{
    static const QByteArray key("XML:com.adobe.xmp\0", 18);
    if (!data.startsWith(key))
        return std::nullopt;
    qsizetype at = key.size();
    if (type == "tEXt")
        return PngText{data.mid(at), false};
    if (type == "zTXt")
        return data.size() > at && data[at] == 0 ? std::optional(PngText{data.mid(at + 1), true}) : std::nullopt;
    if (data.size() < at + 2 || (data[at] != 0 && data[at] != 1) || data[at + 1] != 0)
        return std::nullopt;
    const bool compressed = data[at] == 1;
    at += 2;
    for (int field = 0; field < 2; ++field) {  // the language and the translated key
        const qsizetype nul = data.indexOf('\0', at);
        if (nul < 0)
            return std::nullopt;
        at = nul + 1;
    }
    return PngText{data.mid(at), compressed};
}

} // namespace

int ExifOrientation(const QByteArray& exif)
{
    if (exif.isEmpty() || exif.size() > 0xFFFF * 16)
        return 1;
    return exifModule.Required<PictaronReadExifOrientationFn>(0, kExifWhat)(&exif);
}

ChunkTags PngChunkTags(const QByteArray& png)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(png.constData());
    const qsizetype size = png.size();
    ChunkTags tags;
    // At most one iTXt and one tEXt or zTXt are looked into, so that a file
    // of many compressed chunks costs one inflation of each kind, not many.
    bool itxtSeen = false;
    bool textSeen = false;
    QByteArray textXmp;
    qsizetype at = 8;  // the signature
    while (at + 12 <= size) {
        const quint32 length = qFromBigEndian<quint32>(bytes + at);
        if (length > static_cast<quint64>(size - at - 12))
            break;
        const QByteArray type = png.mid(at + 4, 4);
        if (type == "IEND")
            break;
        const bool wanted = (type == "eXIf" && tags.exif.isEmpty()) || (type == "iTXt" && !itxtSeen)
            || ((type == "tEXt" || type == "zTXt") && !textSeen);
        const QByteArray data = wanted ? QByteArray::fromRawData(png.constData() + at + 8, length) : QByteArray();
        const auto crcMatches = [&] {
            const quint32 crc = static_cast<quint32>(crc32(0, bytes + at + 4, static_cast<uInt>(length) + 4));
            return crc == qFromBigEndian<quint32>(bytes + at + 8 + length);
        };
        if (wanted && crcMatches()) {
            if (type == "eXIf") {
                tags.exif = QByteArray(data.constData(), data.size());  // a copy: the file may be mapped
            } else if (const std::optional<PngText> text = XmpText(type, data)) {
                QByteArray xmp = text->compressed ? Inflated(text->text, kMaxXmpBytes) : text->text;
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
        at += 12 + static_cast<qsizetype>(length);
    }
    if (!itxtSeen)
        tags.xmp = textXmp;
    return tags;
}

ChunkTags WebpChunkTags(const QByteArray& webp)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(webp.constData());
    ChunkTags tags;
    if (webp.size() < 12 || !webp.startsWith("RIFF") || webp.mid(8, 4) != "WEBP")
        return tags;
    // The RIFF size counts from the file type on; a file cut short ends sooner.
    const qsizetype end = std::min<quint64>(webp.size(), 8 + static_cast<quint64>(qFromLittleEndian<quint32>(bytes + 4)));
    qsizetype at = 12;
    while (at + 8 <= end) {
        const quint32 length = qFromLittleEndian<quint32>(bytes + at + 4);
        if (length > static_cast<quint64>(end - at - 8))
            break;
        const QByteArray type = webp.mid(at, 4);
        const QByteArray data(webp.constData() + at + 8, length);  // a copy: the file may be mapped
        if (type == "EXIF" && tags.exif.isEmpty()) {
            const QByteArray prefix("Exif\0\0", 6);
            tags.exif = data.startsWith(prefix) ? data.mid(prefix.size()) : data;
        } else if (type == "XMP " && tags.xmp.isEmpty() && length <= kMaxXmpBytes) {
            tags.xmp = data;
        }
        // A chunk of odd length is followed by a padding byte.
        at += 8 + static_cast<qsizetype>(length) + (length & 1);
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
        uchar* out = turned.scanLine(y);
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

Bitmap FinishPicture(Bitmap picture, RawTags& raw, const LoadOptions& options, QStringList& warnings)
{
    SourceTags tags;
    tags.exif = raw.exif.isEmpty() ? ExifOfFields(raw.containerArtist, raw.containerCopyright) : raw.exif;
    tags.xmp = raw.xmp;
    tags.orientation = raw.exif.isEmpty() ? raw.containerOrientation : ExifOrientation(raw.exif);
    if (tags.orientation < 1 || tags.orientation > 8)
        tags.orientation = 1;
    if (raw.iccDamaged)
        warnings << QStringLiteral("its colour profile is damaged");
    if (raw.icc.size() > kMaxProfileBytes) {
        warnings << QStringLiteral("its colour profile is larger than %1 MB").arg(kMaxProfileBytes >> 20);
    } else if (!raw.icc.isEmpty()) {
        const ProfileFacts facts = InspectProfile(raw.icc);
        if (!facts.readable) {
            warnings << facts.problem;
        } else {
            tags.icc = raw.icc;
            tags.profileName = facts.name;
            tags.profileConverted = raw.cmykConverted;
            if (options.convertToSrgb && !facts.actsAsSrgb
                && (facts.space == ProfileSpace::Rgb || facts.space == ProfileSpace::Grey)) {
                picture = ToWorkingBitmap(picture);
                QString problem;
                if (ConvertToSrgb(picture, raw.icc, problem))
                    tags.profileConverted = true;
                else
                    warnings << problem;
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
    picture.setText(kOrientationKey, QString::number(tags.orientation).toStdString());
    picture.setText(kAppliedKey, tags.orientationApplied ? "1" : "0");
    picture.setText(kProfileNameKey, tags.profileName.toStdString());
    picture.setText(kConvertedKey, tags.profileConverted ? "1" : "0");
    picture.setText(kIccKey, tags.icc.toStdString());
    picture.setText(kExifKey, tags.exif.toStdString());
    picture.setText(kXmpKey, tags.xmp.toStdString());
    if (!tags.wholeSize.isEmpty())
        picture.setText(kWholeSizeKey, QStringLiteral("%1x%2").arg(tags.wholeSize.width()).arg(tags.wholeSize.height()).toStdString());
}

SourceTags SourceTagsOf(const Bitmap& picture)
{
    SourceTags tags;
    const QString orientation = QString::fromStdString(picture.text(kOrientationKey));
    if (orientation.isEmpty())
        return tags;
    tags.orientation = qBound(1, orientation.toInt(), 8);
    tags.orientationApplied = picture.text(kAppliedKey) == "1";
    tags.profileName = QString::fromStdString(picture.text(kProfileNameKey));
    tags.profileConverted = picture.text(kConvertedKey) == "1";
    tags.icc = QByteArray::fromStdString(picture.text(kIccKey));
    tags.exif = QByteArray::fromStdString(picture.text(kExifKey));
    tags.xmp = QByteArray::fromStdString(picture.text(kXmpKey));
    const QStringList whole = QString::fromStdString(picture.text(kWholeSizeKey)).split(QLatin1Char('x'));
    if (whole.size() == 2)
        tags.wholeSize = QSize(whole[0].toInt(), whole[1].toInt());
    return tags;
}

QString DescribeAppliedTags(const SourceTags& tags)
{
    QStringList done;
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
        done << QString::fromUtf8(kTurns[tags.orientation]);
    }
    if (tags.profileConverted)
        done << QStringLiteral("converted from ") + tags.profileName;
    return done.join(QStringLiteral(", "));
}

} // namespace pictaron
