#include "formats/pngrescue.h"

#include "components/moduleloader.h"
#include "effects/alpha.h"
#include "effects/pixels.h"
#include "formats/pngcodec.h"

namespace pictaron {

namespace {

const LazyModule module({PICTARON_PNG_MODULE_NAME, PICTARON_PNG_MODULE_INSTALLED, PICTARON_PNG_MODULE_BUILT},
                        {"PictaronReadPngRows"});

} // namespace

std::optional<RescuedPng> RescueCutPng(std::string_view bytes)
{
    Bitmap rgba;
    const int read = module.Required<PictaronReadPngRowsFn>(0, "The PNG reader")(&bytes, &rgba);
    if (read <= 0)
        return std::nullopt;
    const int width = rgba.width();
    const int height = rgba.height();

    // What was read, as straight colours and alpha; the rows missing grey
    // and opaque.
    Bitmap straight = NewWorkingBitmap(width, height);
    Bitmap alpha(width, height, Bitmap::Format_Grayscale8);
    if (alpha.isNull())
        ThrowOutOfMemory(width, height);
    bool opaque = true;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = rgba.constScanLine(y);
        RGBTriple* out = RowPixels(straight, y);
        std::uint8_t* coverage = alpha.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (y >= read) {
                out[x] = RGBTriple{128, 128, 128};
                coverage[x] = 255;
                continue;
            }
            out[x] = RGBTriple{in[4 * x + 2], in[4 * x + 1], in[4 * x]};
            coverage[x] = in[4 * x + 3];
            opaque = opaque && coverage[x] == 255;
        }
    }
    const bool whole = read == height;
    if (opaque)
        return RescuedPng{std::move(straight), Bitmap(), whole};
    Bitmap flattened = FlattenOntoWhite(straight, alpha);
    return RescuedPng{std::move(flattened), std::move(alpha), whole};
}

} // namespace pictaron
