// What a result carries over from its source, when asked to: the colour
// profile (every format but GIF), and for a JPEG the EXIF block and XMP
// packet, rewritten for the picture they now describe.
#pragma once

#include "app/conversionsettings.h"
#include "formats/sourcetags.h"

#include <QByteArray>
#include <QSize>
#include <QStringList>

namespace pictaron {

// An APP1 segment's payload ("Exif\0\0" and the TIFF structure) for the
// result: with KeepMetadata::Copyright the Artist and Copyright fields alone;
// with All every field but the thumbnail (IFD1 and its picture), the
// Orientation set to 1 (the pixels are upright now) and the pixel dimensions,
// where present, set to the result's. Empty when nothing is to be kept, or
// the block cannot be read; too large a block for one segment is left out
// with a line in warnings.
QByteArray ExifSegment(const QByteArray& exif, KeepMetadata keep, QSize resultSize, QStringList& warnings);

// An APP1 segment's payload (the XMP namespace, a NUL, the packet) for
// KeepMetadata::All, with any tiff:Orientation set to 1; empty otherwise.
QByteArray XmpSegment(const QByteArray& xmp, KeepMetadata keep, QStringList& warnings);

// The source's profile, for a result whose colours were kept as the source's
// (keepProfile) and which it fits: an RGB profile for a colour result, a grey
// one for a grey result. Empty otherwise, and for a profile that cannot be
// read.
QByteArray ProfileToEmbed(const ConversionSettings& settings, const SourceTags& source, bool greyResult);

// The most a JPEG marker segment holds after its length field.
inline constexpr qsizetype kMaxSegmentBytes = 65533;

} // namespace pictaron
