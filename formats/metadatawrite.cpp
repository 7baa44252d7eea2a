#include "formats/metadatawrite.h"

#include "formats/colourprofile.h"

#include <libexif/exif-data.h>

#include <QRegularExpression>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace pictaron {

namespace {

struct ExifDataDeleter {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};
using OwnedExif = std::unique_ptr<ExifData, ExifDataDeleter>;

// The block as libexif reads it, every field it holds kept as stored.
OwnedExif ReadExif(const QByteArray& exif)
{
    OwnedExif data(exif_data_new());
    if (!data)
        return data;
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    const QByteArray block = QByteArray("Exif\0\0", 6) + exif;
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(block.constData()),
                        static_cast<unsigned int>(block.size()));
    return data;
}

// A copy of the entry into content.
void CopyEntry(const ExifEntry* from, ExifContent* content)
{
    if (!from || !from->data || from->size == 0)
        return;
    ExifEntry* entry = exif_entry_new();
    if (!entry)
        return;
    entry->data = static_cast<unsigned char*>(std::malloc(from->size));
    if (entry->data) {
        std::memcpy(entry->data, from->data, from->size);
        entry->size = from->size;
        entry->tag = from->tag;
        entry->format = from->format;
        entry->components = from->components;
        exif_content_add_entry(content, entry);
    }
    exif_entry_unref(entry);
}

void SetNumber(ExifEntry* entry, ExifByteOrder order, unsigned value)
{
    if (!entry || !entry->data || entry->components != 1)
        return;
    if (entry->format == EXIF_FORMAT_SHORT && entry->size >= 2)
        exif_set_short(entry->data, order, static_cast<ExifShort>(value));
    else if (entry->format == EXIF_FORMAT_LONG && entry->size >= 4)
        exif_set_long(entry->data, order, value);
}

// The block as KeptMetadata::exif has it.
QByteArray ExifToKeep(const QByteArray& exif, KeepMetadata keep, QSize resultSize)
{
    if (keep == KeepMetadata::None || exif.isEmpty())
        return QByteArray();
    OwnedExif source = ReadExif(exif);
    if (!source)
        return QByteArray();
    const ExifByteOrder order = exif_data_get_byte_order(source.get());
    OwnedExif result;
    if (keep == KeepMetadata::Copyright) {
        result.reset(exif_data_new());
        if (!result)
            return QByteArray();
        exif_data_unset_option(result.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
        exif_data_set_byte_order(result.get(), order);
        ExifContent* ifd0 = source->ifd[EXIF_IFD_0];
        CopyEntry(exif_content_get_entry(ifd0, EXIF_TAG_ARTIST), result->ifd[EXIF_IFD_0]);
        CopyEntry(exif_content_get_entry(ifd0, EXIF_TAG_COPYRIGHT), result->ifd[EXIF_IFD_0]);
        if (result->ifd[EXIF_IFD_0]->count == 0)
            return QByteArray();
    } else {
        result = std::move(source);
        // No thumbnail: neither its picture nor the directory that describes it.
        std::free(result->data);
        result->data = nullptr;
        result->size = 0;
        ExifContent* ifd1 = result->ifd[EXIF_IFD_1];
        while (ifd1->count > 0)
            exif_content_remove_entry(ifd1, ifd1->entries[0]);
        SetNumber(exif_content_get_entry(result->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION), order, 1);
        ExifContent* exifIfd = result->ifd[EXIF_IFD_EXIF];
        SetNumber(exif_content_get_entry(exifIfd, EXIF_TAG_PIXEL_X_DIMENSION), order,
                  static_cast<unsigned>(resultSize.width()));
        SetNumber(exif_content_get_entry(exifIfd, EXIF_TAG_PIXEL_Y_DIMENSION), order,
                  static_cast<unsigned>(resultSize.height()));
        bool any = false;
        for (int ifd = 0; ifd < EXIF_IFD_COUNT; ++ifd)
            any = any || result->ifd[ifd]->count > 0;
        if (!any)
            return QByteArray();
    }
    unsigned char* saved = nullptr;
    unsigned int size = 0;
    exif_data_save_data(result.get(), &saved, &size);
    QByteArray segment(reinterpret_cast<const char*>(saved), static_cast<qsizetype>(saved ? size : 0));
    std::free(saved);
    const QByteArray prefix("Exif\0\0", 6);
    if (segment.size() <= prefix.size() || !segment.startsWith(prefix))
        return QByteArray();
    return segment.mid(prefix.size());
}

// The packet as KeptMetadata::xmp has it.
QByteArray XmpToKeep(const QByteArray& xmp, KeepMetadata keep)
{
    if (keep != KeepMetadata::All || xmp.isEmpty())
        return QByteArray();
    QString packet = QString::fromUtf8(xmp);
    // The value of the attribute or the element, however the packet spells it.
    static const QRegularExpression orientation(
        QStringLiteral("(?<=tiff:Orientation=\"|tiff:Orientation='|<tiff:Orientation>)\\s*\\d+\\s*(?=[\"'<])"));
    packet.replace(orientation, QStringLiteral("1"));
    return packet.toUtf8();
}

// Only JPEG limits a block: a marker segment's length field has 16 bits.
QByteArray App1Segment(const QByteArray& header, const QByteArray& block, const char* what, QStringList& warnings)
{
    if (block.isEmpty())
        return QByteArray();
    if (header.size() + block.size() > kMaxSegmentBytes) {
        warnings << QStringLiteral("The %1 metadata is larger than one JPEG segment holds; it is left out.")
                        .arg(QLatin1String(what));
        return QByteArray();
    }
    return header + block;
}

} // namespace

QStringList KeptMetadata::Names() const
{
    QStringList names;
    if (!exif.isEmpty())
        names << QStringLiteral("exif");
    if (!xmp.isEmpty())
        names << QStringLiteral("xmp");
    return names;
}

KeptMetadata MetadataToKeep(const SourceTags& source, KeepMetadata keep, QSize resultSize)
{
    return {ExifToKeep(source.exif, keep, resultSize), XmpToKeep(source.xmp, keep)};
}

QByteArray ExifSegment(const QByteArray& exif, QStringList& warnings)
{
    return App1Segment(QByteArray("Exif\0\0", 6), exif, "EXIF", warnings);
}

QByteArray XmpSegment(const QByteArray& xmp, QStringList& warnings)
{
    return App1Segment(QByteArray("http://ns.adobe.com/xap/1.0/\0", 29), xmp, "XMP", warnings);
}

QByteArray ProfileToEmbed(const ConversionSettings& settings, const SourceTags& source, bool greyResult)
{
    if (!settings.keepProfile || source.icc.isEmpty() || source.profileConverted)
        return QByteArray();
    const ProfileFacts facts = InspectProfile(source.icc);
    if (!facts.readable)
        return QByteArray();
    const bool fits = greyResult ? facts.space == ProfileSpace::Grey : facts.space == ProfileSpace::Rgb;
    return fits ? source.icc : QByteArray();
}

} // namespace pictaron
