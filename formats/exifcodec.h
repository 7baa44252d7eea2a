// libexif's side of the EXIF blocks the loader reads (sourcetags.h) and the
// results rewrite (metadatawrite.h), in a module of its own, so that only a
// picture with an EXIF block, or a result that must write one, loads it.
// Every block is the TIFF structure, without "Exif\0\0".
#pragma once

#include "components/sizes.h"

#include <string>
#include <string_view>

namespace pictaron {

// The Orientation of the block's first directory, 1..8; 1 when it holds none
// or no valid value.
int ReadExifOrientation(std::string_view exif);

// A block of the first directory's Artist and Copyright, each left out when
// empty; empty when the block cannot be made.
std::string ExifOfTextFields(std::string_view artist, std::string_view copyright);

// The block as a result keeps it (KeptMetadata::exif): with copyrightOnly
// the Artist and Copyright alone, else every field but the thumbnail, the
// Orientation set to 1 and the pixel dimensions, where present, set to
// resultSize. Empty when nothing is left or the block cannot be read.
std::string RewriteExif(std::string_view exif, bool copyrightOnly, Size resultSize);

} // namespace pictaron

// The module's entry points.
extern "C" {
using PictaronReadExifOrientationFn = int (*)(const std::string_view* exif);
using PictaronExifOfTextFieldsFn = void (*)(const std::string_view* artist, const std::string_view* copyright,
                                            std::string* exif);
using PictaronRewriteExifFn = void (*)(const std::string_view* exif, bool copyrightOnly,
                                       const pictaron::Size* resultSize, std::string* kept);
}
