// The PNG encoder step of a run.
//
// Truecolour: RGB, or RGBA when the picture has transparency (an alpha plane,
// see formats/alphaplane.h, with a pixel that is not fully opaque). Indexed
// (pngIndexed): the GIF's pixels, from the GIF step's own palette passes
// (ReduceToPalette), so the two files show the same picture; the alpha plane
// is ignored. Its palette holds only the entries the pixels use, in the
// final palette's order, and is packed into 1, 2 or 4 bits a pixel when it is
// small enough. The transparent colour marks the palette entry the GIF marks
// (the last one holding that colour): it comes first in the palette, with
// the file's single transparency (tRNS) entry, alpha 0. When no pixel uses
// that entry nothing is transparent, and the file has no tRNS chunk (where
// a GIF whose palette is full fails with "Color table overflow", the PNG
// simply has nothing to mark).
//
// Always the best compression libpng offers: zlib level 9, and each row
// filtered by whichever of the five filters suits it best; Adam7 interlace
// when interlace is set. libpng, loaded by the first PNG (pngcodec.h),
// writes into memory: bytes are what Save writes.
#pragma once

#include "app/conversionsettings.h"
#include "app/runcontext.h"
#include "formats/sourcetags.h"

#include "effects/bitmap.h"

namespace pictaron {

// The picture shown is the truecolour picture flattened onto white, or the
// indexed picture as written (its colour table the file's palette, colours
// its entry count). Throws PictaronError when a palette file cannot be used
// or libpng fails, RunCancelled when cancelled during the palette passes or
// between rows.
EncodedResult EncodePngResult(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                              RunContext& context, const SourceTags& source = {});

} // namespace pictaron
