// libpng's side of the PNG result and of the reader of a PNG cut short, in a
// module of its own, so that a run that neither writes a PNG nor rescues one
// never loads libpng (see pngresult.h and pngrescue.h for the steps).
#pragma once

#include "effects/bitmap.h"
#include "formats/codecprogress.h"

#include <string>
#include <string_view>
#include <vector>

namespace pictaron {

enum class PngColours { Rgb, Rgba, Palette };

struct PngPaletteEntry {
    unsigned char red, green, blue;
};

// What goes into the file: the header's layout and the rows, one scan line
// of `rows` each (BGR with bgr set, else in the file's own order, one byte a
// pixel for a palette).
struct PngLayout {
    const Bitmap* rows = nullptr;
    PngColours colours = PngColours::Rgb;
    int bitDepth = 8;
    bool bgr = false;
    bool interlace = false;
    std::vector<PngPaletteEntry> palette;
    std::vector<unsigned char> transparency;  // the alpha of the first palette entries
    std::string icc;   // the colour profile to embed, or empty
    std::string exif;  // the TIFF structure for eXIf, or empty
    std::string xmp;   // the XMP packet for iTXt, or empty
};

// The whole file, written with zlib level 9. The cancel flag is tested and
// the bar moved between rows (every row once per Adam7 pass when
// interlaced), never inside libpng. Throws PictaronError "The PNG file could
// not be written: <libpng's reason>.", RunCancelled when cancelled.
std::string WritePng(const PngLayout& layout, CodecProgress& progress);

// The rows of a non-interlaced PNG as 8-bit RGBA (Format_RGBA8888), read up
// to where its data breaks off; the rows beyond are left unwritten. The number
// of rows read, or -1 when the header cannot be read or the picture is
// interlaced.
int ReadPngRows(std::string_view bytes, Bitmap& rgba);

} // namespace pictaron

// The module's entry points.
extern "C" {
using PictaronWritePngFn = void (*)(const pictaron::PngLayout* layout, pictaron::CodecProgress* progress,
                                    std::string* bytes);
using PictaronReadPngRowsFn = int (*)(const std::string_view* bytes, pictaron::Bitmap* rgba);
}
