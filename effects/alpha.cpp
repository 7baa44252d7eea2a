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

} // namespace

QImage PremultipliedOverBlack(const QImage& flattened, const QImage& alphaPlane)
{
    const QImage source = ToWorkingBitmap(flattened);
    QImage out = SameSize(source, false);
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        const uchar* alpha = alphaPlane.constScanLine(y);
        uchar* row = out.scanLine(y);
        for (int x = 0; x < 3 * width; ++x)
            row[x] = static_cast<uchar>(std::max(0, in[x] - (255 - alpha[x / 3])));
    }
    return out;
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
    const QImage source = ToWorkingBitmap(premultiplied);
    const QImage coverage = ToWorkingBitmap(alphaBitmap);
    QImage out = SameSize(source, false);
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        const uchar* alpha = coverage.constScanLine(y);
        uchar* row = out.scanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            const int a = alpha[x - x % 3];
            row[x] = a == 0 ? 0 : static_cast<uchar>(std::min(255, (in[x] * 255 + a / 2) / a));
        }
    }
    return out;
}

QImage FlattenOntoWhite(const QImage& straight, const QImage& alphaPlane)
{
    const QImage source = ToWorkingBitmap(straight);
    QImage out = SameSize(source, false);
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        const uchar* alpha = alphaPlane.constScanLine(y);
        uchar* row = out.scanLine(y);
        for (int x = 0; x < 3 * width; ++x) {
            const int a = alpha[x / 3];
            row[x] = static_cast<uchar>((in[x] * a + 255 * (255 - a) + 127) / 255);
        }
    }
    return out;
}

} // namespace pictaron
