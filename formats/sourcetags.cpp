#include "formats/sourcetags.h"

#include "effects/pixels.h"
#include "formats/colourprofile.h"

#include <libexif/exif-data.h>
#include <libexif/exif-loader.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace pictaron {

namespace {

// The keys under which the tags ride on the picture (Bitmap text, which every
// copy of the picture keeps and nothing writes out).
const QString kOrientationKey = QStringLiteral("pictaron.orientation");
const QString kAppliedKey = QStringLiteral("pictaron.orientation-applied");
const QString kProfileNameKey = QStringLiteral("pictaron.profile-name");
const QString kConvertedKey = QStringLiteral("pictaron.profile-converted");
const QString kIccKey = QStringLiteral("pictaron.icc");
const QString kExifKey = QStringLiteral("pictaron.exif");
const QString kXmpKey = QStringLiteral("pictaron.xmp");
const QString kWholeSizeKey = QStringLiteral("pictaron.whole-size");

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// An ASCII entry of IFD0 holding text and its NUL; nothing for empty text.
void AddText(ExifData* data, ExifTag tag, const QByteArray& text)
{
    if (text.isEmpty())
        return;
    ExifEntry* entry = exif_entry_new();
    if (!entry)
        return;
    const std::size_t size = static_cast<std::size_t>(text.size()) + 1;
    entry->data = static_cast<unsigned char*>(std::malloc(size));
    if (entry->data) {
        std::memcpy(entry->data, text.constData(), size);
        entry->size = static_cast<unsigned int>(size);
        entry->tag = tag;
        entry->format = EXIF_FORMAT_ASCII;
        entry->components = size;
        exif_content_add_entry(data->ifd[EXIF_IFD_0], entry);
    }
    exif_entry_unref(entry);
}

// An EXIF block (the TIFF structure, as RawTags holds it) with the Artist and
// Copyright a container declared outside one; empty when it declared neither.
QByteArray ExifOfFields(const QByteArray& artist, const QByteArray& copyright)
{
    // A field is text of a sensible length, up to its first NUL.
    const auto field = [](const QByteArray& text) {
        const qsizetype nul = text.indexOf('\0');
        return (nul < 0 ? text : text.left(nul)).left(4096);
    };
    if (field(artist).isEmpty() && field(copyright).isEmpty())
        return QByteArray();
    std::unique_ptr<ExifData, ExifDataDeleter> data(exif_data_new());
    if (!data)
        return QByteArray();
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(data.get(), EXIF_BYTE_ORDER_INTEL);
    AddText(data.get(), EXIF_TAG_ARTIST, field(artist));
    AddText(data.get(), EXIF_TAG_COPYRIGHT, field(copyright));
    unsigned char* saved = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data.get(), &saved, &size);
    QByteArray block(reinterpret_cast<const char*>(saved), static_cast<qsizetype>(saved ? size : 0));
    std::free(saved);
    if (block.size() <= 6 || !block.startsWith(QByteArray("Exif\0\0", 6)))
        return QByteArray();
    return block.mid(6);
}

} // namespace

int ExifOrientation(const QByteArray& exif)
{
    if (exif.isEmpty() || exif.size() > 0xFFFF * 16)
        return 1;
    // libexif reads a block that starts with the APP1 header.
    QByteArray block = QByteArray("Exif\0\0", 6) + exif;
    std::unique_ptr<ExifData, ExifDataDeleter> data(exif_data_new());
    if (!data)
        return 1;
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(block.constData()),
                        static_cast<unsigned int>(block.size()));
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data || entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return value >= 1 && value <= 8 ? value : 1;
}

QByteArray PngExifChunk(const QByteArray& png)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(png.constData());
    const qsizetype size = png.size();
    const auto word = [bytes](qsizetype at) {
        return static_cast<quint32>(bytes[at]) << 24 | static_cast<quint32>(bytes[at + 1]) << 16
            | static_cast<quint32>(bytes[at + 2]) << 8 | bytes[at + 3];
    };
    qsizetype at = 8;  // the signature
    while (at + 12 <= size) {
        const quint32 length = word(at);
        if (length > static_cast<quint64>(size - at - 12))
            return QByteArray();
        const char* type = png.constData() + at + 4;
        if (std::memcmp(type, "eXIf", 4) == 0)
            return png.mid(at + 8, static_cast<qsizetype>(length));
        if (std::memcmp(type, "IEND", 4) == 0)
            return QByteArray();
        at += 12 + static_cast<qsizetype>(length);
    }
    return QByteArray();
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
    picture.setText(kOrientationKey, QString::number(tags.orientation));
    picture.setText(kAppliedKey, tags.orientationApplied ? QStringLiteral("1") : QStringLiteral("0"));
    picture.setText(kProfileNameKey, tags.profileName);
    picture.setText(kConvertedKey, tags.profileConverted ? QStringLiteral("1") : QStringLiteral("0"));
    picture.setText(kIccKey, QString::fromLatin1(tags.icc));
    picture.setText(kExifKey, QString::fromLatin1(tags.exif));
    picture.setText(kXmpKey, QString::fromLatin1(tags.xmp));
    if (!tags.wholeSize.isEmpty())
        picture.setText(kWholeSizeKey, QStringLiteral("%1x%2").arg(tags.wholeSize.width()).arg(tags.wholeSize.height()));
}

SourceTags SourceTagsOf(const Bitmap& picture)
{
    SourceTags tags;
    const QString orientation = picture.text(kOrientationKey);
    if (orientation.isEmpty())
        return tags;
    tags.orientation = qBound(1, orientation.toInt(), 8);
    tags.orientationApplied = picture.text(kAppliedKey) == QLatin1String("1");
    tags.profileName = picture.text(kProfileNameKey);
    tags.profileConverted = picture.text(kConvertedKey) == QLatin1String("1");
    tags.icc = picture.text(kIccKey).toLatin1();
    tags.exif = picture.text(kExifKey).toLatin1();
    tags.xmp = picture.text(kXmpKey).toLatin1();
    const QStringList whole = picture.text(kWholeSizeKey).split(QLatin1Char('x'));
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
