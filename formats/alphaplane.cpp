#include "formats/alphaplane.h"

#include "components/errors.h"
#include "effects/alpha.h"
#include "effects/pixels.h"

#include <cstdint>

namespace pictaron {

namespace {

// As FlattenOntoWhite computes it.
std::uint8_t OnWhite(int channel, int alpha)
{
    return static_cast<std::uint8_t>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

} // namespace

Bitmap TransparencyToWrite(const Bitmap& working, const Bitmap& alpha)
{
    if (alpha.isNull())
        return Bitmap();
    if (alpha.format() != Bitmap::Format_Grayscale8 || alpha.size() != working.size())
        throw PictaronError(std::string("The transparency of the picture does not match its colours."));
    for (int y = 0; y < alpha.height(); ++y) {
        const std::uint8_t* row = alpha.constScanLine(y);
        for (int x = 0; x < alpha.width(); ++x)
            if (row[x] != 255)
                return alpha;
    }
    return Bitmap();
}

Bitmap InterleaveAlpha(const Bitmap& working, const Bitmap& alpha)
{
    Bitmap rgba(working.size(), Bitmap::Format_RGBA8888);
    if (rgba.isNull() && !working.isNull())
        ThrowOutOfMemory(working.width(), working.height());
    for (int y = 0; y < working.height(); ++y) {
        const RGBTriple* colours = RowPixels(working, y);
        const std::uint8_t* alphas = alpha.constScanLine(y);
        std::uint8_t* out = rgba.scanLine(y);
        for (int x = 0; x < working.width(); ++x) {
            out[4 * x] = colours[x].red;
            out[4 * x + 1] = colours[x].green;
            out[4 * x + 2] = colours[x].blue;
            out[4 * x + 3] = alphas[x];
        }
    }
    return rgba;
}

Bitmap ShownOnWhite(const Bitmap& working, const Bitmap& alpha)
{
    return alpha.isNull() ? working : FlattenOntoWhite(working, alpha);
}

Bitmap RgbaShownOnWhite(const Bitmap& rgba)
{
    Bitmap flat = NewWorkingBitmap(rgba.width(), rgba.height());
    for (int y = 0; y < rgba.height(); ++y) {
        const std::uint8_t* in = rgba.constScanLine(y);
        RGBTriple* out = RowPixels(flat, y);
        for (int x = 0; x < rgba.width(); ++x) {
            const int a = in[4 * x + 3];
            out[x] = {OnWhite(in[4 * x + 2], a), OnWhite(in[4 * x + 1], a), OnWhite(in[4 * x], a)};
        }
    }
    return flat;
}

OpenedPicture OpenRgba(const Bitmap& rgba, int rowsRead)
{
    const int width = rgba.width();
    const int height = rgba.height();
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
            if (y >= rowsRead) {
                out[x] = RGBTriple{128, 128, 128};
                coverage[x] = 255;
                continue;
            }
            out[x] = RGBTriple{in[4 * x + 2], in[4 * x + 1], in[4 * x]};
            coverage[x] = in[4 * x + 3];
            opaque = opaque && coverage[x] == 255;
        }
    }
    if (opaque)
        return {std::move(straight), Bitmap()};
    Bitmap flattened = FlattenOntoWhite(straight, alpha);
    return {std::move(flattened), std::move(alpha)};
}

} // namespace pictaron
