// What a result carries over from its source, when asked to: the colour
// profile and the EXIF block and XMP packet, rewritten for the picture they
// now describe (every format but GIF, which has no place for them).
#pragma once

#include "app/conversionsettings.h"
#include "formats/sourcetags.h"

#include "components/plaintext.h"
#include "components/sizes.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pictaron {

// What a result keeps of its source's EXIF block and XMP packet, for
// any format that holds them (JPEG, PNG, WebP, AVIF).
struct KeptMetadata {
    // The TIFF structure, without "Exif\0\0": with KeepMetadata::Copyright the
    // Artist and Copyright fields alone; with All every field but the
    // thumbnail (IFD1 and its picture), the Orientation set to 1 (the pixels
    // are upright now) and the pixel dimensions, where present, set to the
    // result's. Empty when nothing is to be kept or the block cannot be read.
    std::string exif;
    // The packet, for KeepMetadata::All only, with any tiff:Orientation set
    // to 1.
    std::string xmp;

    bool IsEmpty() const { return exif.empty() && xmp.empty(); }
    // As EncodedResult::metadata names them.
    Texts Names() const;
};

KeptMetadata MetadataToKeep(const SourceTags& source, KeepMetadata keep, Size resultSize);

// The APP1 segments' payloads of a JPEG result: "Exif\0\0" and the TIFF
// structure, the XMP namespace, a NUL and the packet. Empty for an empty
// block, and for one too large for a segment, which adds a line to warnings.
std::string ExifSegment(std::string_view exif, Texts& warnings);
std::string XmpSegment(std::string_view xmp, Texts& warnings);

// The source's profile, for a result whose colours were kept as the source's
// (keepProfile) and which it fits: an RGB profile for a colour result, a grey
// one for a grey result. Empty otherwise, and for a profile that cannot be
// read.
std::string ProfileToEmbed(const ConversionSettings& settings, const SourceTags& source, bool greyResult);

// The most a JPEG marker segment holds after its length field.
inline constexpr std::size_t kMaxSegmentBytes = 65533;

} // namespace pictaron
