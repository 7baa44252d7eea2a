// What a picture file says about its pixels besides the pixels: the EXIF
// Orientation (how the camera was held), an embedded ICC colour profile, and
// EXIF and XMP metadata.
//
// The loader reads these tags from the file's own container (JPEG APP1/APP2,
// PNG eXIf/iTXt/iCCP, TIFF, WebP EXIF/XMP/ICCP), turns the picture upright and into
// sRGB as LoadOptions ask, and attaches what it did and what the writers may
// need later (the source profile and metadata) to the picture itself, so that
// it travels with the original through the window and the command line.
// Pictures without tags carry nothing and are left exactly as decoded.
#pragma once

#include "components/plaintext.h"
#include "components/sizes.h"
#include "effects/bitmap.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pictaron {

struct LoadOptions {
    // Turn the picture upright as its EXIF Orientation says.
    bool applyOrientation = true;
    // Convert a picture with an embedded profile into sRGB.
    bool convertToSrgb = true;
    // A JPEG may be decoded shrunk by its DCT scaling while it stays at least
    // this wide (formats/directdecode.h); 0 decodes every picture whole.
    int jpegMinimumWidth = 0;
};

// The tags as found in the file, before anything is done with them.
struct RawTags {
    std::string icc;   // the whole ICC profile
    std::string exif;  // the TIFF structure of the EXIF block, without "Exif\0\0"
    std::string xmp;   // the XMP packet
    // The orientation a container declares outside an EXIF block (a TIFF's own
    // tag, as the picture library reads it; an AVIF's rotation and mirror as
    // the EXIF Orientation that makes the same picture); 0 when it declares
    // none.
    int containerOrientation = 0;
    // The container's orientation holds even where an EXIF block says
    // otherwise: an AVIF's rotation and mirror properties, which say how the
    // picture is shown whatever its EXIF Orientation.
    bool containerOrientationFirst = false;
    // A TIFF's own Artist (315) and Copyright (33432) tags of its first
    // directory, outside any EXIF block, as stored; empty when absent. With no
    // EXIF block they become the source's EXIF (see FinishPicture).
    std::string containerArtist;
    std::string containerCopyright;
    // Set when the ICC profile had to be given up while it was read (its
    // chunks were out of order or missing); one warning names it.
    bool iccDamaged = false;
    // The decoder has already converted CMYK pixels from the profile to sRGB.
    bool cmykConverted = false;
    // A JPEG decoded shrunk by its DCT scaling: its size as stored; empty otherwise.
    Size storedSize;
    // The picture's transparency, when some pixel is not fully opaque: a
    // Format_Grayscale8 plane of its size, 0 transparent .. 255 opaque. The
    // pixels themselves are flattened onto white all the same; null for an
    // opaque picture.
    Bitmap alpha;
};

// What the loader did and kept; attached to the loaded picture.
struct SourceTags {
    int orientation = 1;           // the stored EXIF Orientation, 1..8
    bool orientationApplied = false;
    std::string profileName;       // the embedded profile's description
    bool profileConverted = false; // the pixels were converted from it to sRGB
    std::string icc;               // the embedded profile as stored
    std::string exif;              // as RawTags
    std::string xmp;
    // A picture decoded shrunk: its whole size, turned as the picture is, whose
    // proportions the shrunk size only rounds; empty for a picture decoded whole.
    Size wholeSize;

    bool IsEmpty() const
    {
        return orientation == 1 && icc.empty() && exif.empty() && xmp.empty() && wholeSize.isEmpty();
    }
};

// The largest profile the loader reads; anything larger is ignored with a
// warning (a profile for a real device is well under a megabyte).
inline constexpr std::size_t kMaxProfileBytes = 4 << 20;

// The EXIF Orientation of an EXIF block (the TIFF structure), 1..8; 1 when
// the block has none or holds no valid value.
int ExifOrientation(std::string_view exif);

// The largest XMP packet the loader keeps: a compressed one is inflated no
// further, and a larger one is left out (a real packet is a few kilobytes).
inline constexpr std::size_t kMaxXmpBytes = 4 << 20;

// The EXIF block (the TIFF structure) and XMP packet a PNG or WebP file holds
// in chunks of its own; each empty when it holds none or none that is sound.
struct ChunkTags {
    std::string exif;
    std::string xmp;
};

// A PNG's first eXIf chunk, and the XMP of its first iTXt keyed
// "XML:com.adobe.xmp" (inflated when compressed) or, without one, of its
// first tEXt or zTXt so keyed, as some writers store it. Chunks are walked by
// their headers up to IEND; a chunk that overruns the file ends the walk, and
// one whose CRC does not match is skipped.
ChunkTags PngChunkTags(std::string_view png);

// A WebP's first EXIF and "XMP " chunks, walked within the RIFF size and the
// file alike; a chunk that overruns either ends the walk. An EXIF chunk that
// starts with the JPEG segment's "Exif\0\0" is taken without it.
ChunkTags WebpChunkTags(std::string_view webp);

// The picture as orientation 1..8 asks to see it: 2 mirrored, 3 turned half
// way, 4 flipped, 5 transposed, 6 turned a quarter clockwise, 7 transversed, 8
// turned a quarter anticlockwise. A working bitmap in, a working bitmap out;
// an alpha plane (Format_Grayscale8) in, an alpha plane out.
Bitmap ApplyOrientation(const Bitmap& picture, int orientation);

// Orients and converts the decoded picture as options ask and attaches what
// it did (SourceTagsOf reads it back); the alpha plane is oriented with it. A
// profile that cannot be used adds one line to warnings and is ignored; the
// picture is then taken as sRGB. A container's own Artist and Copyright,
// without an EXIF block, are attached as one that holds them, so that a
// result keeps them as it keeps a camera's.
Bitmap FinishPicture(Bitmap picture, RawTags& raw, const LoadOptions& options, Texts& warnings);

// The tags attached by FinishPicture; empty for any other picture.
SourceTags SourceTagsOf(const Bitmap& picture);
void AttachSourceTags(Bitmap& picture, const SourceTags& tags);

// What was done, for the report: "rotated 90°", "mirrored",
// "converted from Display P3" — joined by ", "; empty when nothing was.
std::string DescribeAppliedTags(const SourceTags& tags);

} // namespace pictaron
