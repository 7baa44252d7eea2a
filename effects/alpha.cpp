#include "effects/alpha.h"

#include "effects/pixels.h"

#include <algorithm>

namespace pictaron {

namespace {

// A fresh picture of the same size in the given layout, or the error.
Bitmap SameSize(const Bitmap& picture, bool plane)
{
    Bitmap made = plane ? Bitmap(picture.size(), Bitmap::Format_Grayscale8)
                        : NewWorkingBitmap(picture.width(), picture.height());
    if (made.isNull())
        ThrowOutOfMemory(picture.width(), picture.height());
    return made;
}

// Each channel of a working bitmap through sample(value, alpha), the alpha
// taken from a plane (one byte a pixel) or a grey bitmap (three).
template <typename Sample>
Bitmap EachChannel(const Bitmap& colours, const Bitmap& alpha, int alphaStep, Sample sample)
{
    const Bitmap source = ToWorkingBitmap(colours);
    Bitmap out = SameSize(source, false);
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        const std::uint8_t* coverage = alpha.constScanLine(y);
        std::uint8_t* row = out.scanLine(y);
        for (int x = 0; x < 3 * width; ++x)
            row[x] = static_cast<std::uint8_t>(sample(in[x], coverage[x / 3 * alphaStep]));
    }
    return out;
}

} // namespace

Bitmap PremultipliedOverBlack(const Bitmap& flattened, const Bitmap& alphaPlane)
{
    return EachChannel(flattened, alphaPlane, 1, [](int flat, int a) { return std::max(0, flat - (255 - a)); });
}

Bitmap AlphaAsBitmap(const Bitmap& alphaPlane)
{
    Bitmap out = SameSize(alphaPlane, false);
    for (int y = 0; y < alphaPlane.height(); ++y) {
        const std::uint8_t* alpha = alphaPlane.constScanLine(y);
        std::uint8_t* row = out.scanLine(y);
        for (int x = 0; x < alphaPlane.width(); ++x)
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = alpha[x];
    }
    return out;
}

Bitmap AlphaPlaneOf(const Bitmap& greyBitmap)
{
    const Bitmap source = ToWorkingBitmap(greyBitmap);
    Bitmap out = SameSize(source, true);
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        std::uint8_t* alpha = out.scanLine(y);
        for (int x = 0; x < source.width(); ++x)
            alpha[x] = in[3 * x];
    }
    return out;
}

Bitmap StraightColours(const Bitmap& premultiplied, const Bitmap& alphaBitmap)
{
    return EachChannel(premultiplied, ToWorkingBitmap(alphaBitmap), 3, [](int colour, int a) {
        return a == 0 ? 0 : std::min(255, (colour * 255 + a / 2) / a);
    });
}

Bitmap FlattenOntoWhite(const Bitmap& straight, const Bitmap& alphaPlane)
{
    return EachChannel(straight, alphaPlane, 1,
                       [](int colour, int a) { return (colour * a + 255 * (255 - a) + 127) / 255; });
}

} // namespace pictaron
