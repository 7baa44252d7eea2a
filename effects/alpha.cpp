#include "effects/alpha.h"

#include "effects/pixels.h"

#include <algorithm>

namespace pictaron {

namespace {

// A fresh picture of the same size in the given layout, or the error.
QImage SameSize(const QImage& picture, bool plane)
{
    QImage made = plane ? QImage(picture.size(), QImage::Format_Grayscale8)
                        : NewWorkingBitmap(picture.width(), picture.height());
    if (made.isNull())
        ThrowOutOfMemory(picture.width(), picture.height());
    return made;
}

// Each channel of a working bitmap through sample(value, alpha), the alpha
// taken from a plane (one byte a pixel) or a grey bitmap (three).
template <typename Sample>
QImage EachChannel(const QImage& colours, const QImage& alpha, int alphaStep, Sample sample)
{
    const QImage source = ToWorkingBitmap(colours);
    QImage out = SameSize(source, false);
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        const uchar* coverage = alpha.constScanLine(y);
        uchar* row = out.scanLine(y);
        for (int x = 0; x < 3 * width; ++x)
            row[x] = static_cast<uchar>(sample(in[x], coverage[x / 3 * alphaStep]));
    }
    return out;
}

} // namespace

QImage PremultipliedOverBlack(const QImage& flattened, const QImage& alphaPlane)
{
    return EachChannel(flattened, alphaPlane, 1, [](int flat, int a) { return std::max(0, flat - (255 - a)); });
}

QImage AlphaAsBitmap(const QImage& alphaPlane)
{
    QImage out = SameSize(alphaPlane, false);
    for (int y = 0; y < alphaPlane.height(); ++y) {
        const uchar* alpha = alphaPlane.constScanLine(y);
        uchar* row = out.scanLine(y);
        for (int x = 0; x < alphaPlane.width(); ++x)
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = alpha[x];
    }
    return out;
}

QImage AlphaPlaneOf(const QImage& greyBitmap)
{
    const QImage source = ToWorkingBitmap(greyBitmap);
    QImage out = SameSize(source, true);
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        uchar* alpha = out.scanLine(y);
        for (int x = 0; x < source.width(); ++x)
            alpha[x] = in[3 * x];
    }
    return out;
}

QImage StraightColours(const QImage& premultiplied, const QImage& alphaBitmap)
{
    return EachChannel(premultiplied, ToWorkingBitmap(alphaBitmap), 3, [](int colour, int a) {
        return a == 0 ? 0 : std::min(255, (colour * 255 + a / 2) / a);
    });
}

QImage FlattenOntoWhite(const QImage& straight, const QImage& alphaPlane)
{
    return EachChannel(straight, alphaPlane, 1,
                       [](int colour, int a) { return (colour * a + 255 * (255 - a) + 127) / 255; });
}

} // namespace pictaron
