#include "formats/metadatawrite.h"

#include "components/moduleloader.h"
#include "formats/colourprofile.h"
#include "formats/exifcodec.h"

#include <QRegularExpression>

namespace pictaron {

namespace {

const LazyModule exifModule({PICTARON_EXIF_MODULE_NAME, PICTARON_EXIF_MODULE_INSTALLED,
                             PICTARON_EXIF_MODULE_BUILT},
                            {"PictaronRewriteExif"});

// The block as KeptMetadata::exif has it.
QByteArray ExifToKeep(const QByteArray& exif, KeepMetadata keep, QSize resultSize)
{
    if (keep == KeepMetadata::None || exif.isEmpty())
        return QByteArray();
    QByteArray kept;
    exifModule.Required<PictaronRewriteExifFn>(0, "The EXIF module")(&exif, keep == KeepMetadata::Copyright,
                                                                     &resultSize, &kept);
    return kept;
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
