// What a result carries over from its source, when asked to: the colour
// profile and the EXIF block and XMP packet, rewritten for the picture they
// now describe (every format but GIF, which has no place for them).
#pragma once

#include "app/conversionsettings.h"
#include "formats/sourcetags.h"

#include <QByteArray>
#include <QSize>
#include <QStringList>

namespace pictaron {

// What a result keeps of its source's EXIF block and XMP packet, for
// any format that holds them (JPEG, PNG, WebP, AVIF).
struct KeptMetadata {
    // The TIFF structure, without "Exif\0\0": with KeepMetadata::Copyright the
    // Artist and Copyright fields alone; with All every field but the
    // thumbnail (IFD1 and its picture), the Orientation set to 1 (the pixels
    // are upright now) and the pixel dimensions, where present, set to the
    // result's. Empty when nothing is to be kept or the block cannot be read.
    QByteArray exif;
    // The packet, for KeepMetadata::All only, with any tiff:Orientation set
    // to 1.
    QByteArray xmp;

    bool IsEmpty() const { return exif.isEmpty() && xmp.isEmpty(); }
    // As EncodedResult::metadata names them.
    QStringList Names() const;
};

KeptMetadata MetadataToKeep(const SourceTags& source, KeepMetadata keep, QSize resultSize);

// The APP1 segments' payloads of a JPEG result: "Exif\0\0" and the TIFF
// structure, the XMP namespace, a NUL and the packet. Empty for an empty
// block, and for one too large for a segment, which adds a line to warnings.
QByteArray ExifSegment(const QByteArray& exif, QStringList& warnings);
QByteArray XmpSegment(const QByteArray& xmp, QStringList& warnings);

// The source's profile, for a result whose colours were kept as the source's
// (keepProfile) and which it fits: an RGB profile for a colour result, a grey
// one for a grey result. Empty otherwise, and for a profile that cannot be
// read.
QByteArray ProfileToEmbed(const ConversionSettings& settings, const SourceTags& source, bool greyResult);

// The most a JPEG marker segment holds after its length field.
inline constexpr qsizetype kMaxSegmentBytes = 65533;

} // namespace pictaron
