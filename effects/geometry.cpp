#include "effects/geometry.h"

#include "components/errors.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace pictaron {

Bitmap CropToSelection(const Bitmap& source, Point topLeft, Point bottomRight)
{
    const int width = source.width();
    const int height = source.height();
    topLeft.setX(std::max(topLeft.x(), 0));
    topLeft.setY(std::max(topLeft.y(), 0));
    bottomRight.setX(std::min(bottomRight.x(), width - 1));
    bottomRight.setY(std::min(bottomRight.y(), height - 1));
    // The frame's clamping alone would let a first corner beyond the picture
    // swap past the second; settings that never came from the frame can hold
    // such corners, so the normalised rectangle is also cut to the picture.
    const int left = std::clamp(std::min(topLeft.x(), bottomRight.x()), 0, width);
    const int right = std::clamp(std::max(topLeft.x(), bottomRight.x()), 0, width);
    const int top = std::clamp(std::min(topLeft.y(), bottomRight.y()), 0, height);
    const int bottom = std::clamp(std::max(topLeft.y(), bottomRight.y()), 0, height);
    if (right <= left || bottom <= top)
        throw PictaronError(std::string(
            "The crop rectangle is empty.  Draw a frame around the part of the picture to keep."));

    Bitmap cropped = NewWorkingBitmap(right - left, bottom - top);
    for (int y = top; y < bottom; ++y)
        std::memcpy(RowPixels(cropped, y - top), RowPixels(source, y) + left, sizeof(RGBTriple) * (right - left));
    return cropped;
}

Bitmap FlipBitmap(const Bitmap& source)
{
    const int height = source.height();
    Bitmap flipped = NewWorkingBitmap(source.width(), height);
    for (int y = 0; y < height; ++y)
        std::memcpy(RowPixels(flipped, y), RowPixels(source, height - 1 - y), sizeof(RGBTriple) * source.width());
    return flipped;
}

Bitmap MirrorBitmap(const Bitmap& source)
{
    const int width = source.width();
    Bitmap mirrored = NewWorkingBitmap(width, source.height());
    for (int y = 0; y < source.height(); ++y) {
        const RGBTriple* in = RowPixels(source, y);
        std::reverse_copy(in, in + width, RowPixels(mirrored, y));
    }
    return mirrored;
}

Bitmap RotateBitmap(const Bitmap& source, int angle, RGBTriple cornerColour, bool rotateRight)
{
    if (rotateRight)
        angle = -angle;
    // With rows counted downwards a positive angle turns counter-clockwise.
    const double theta = static_cast<double>(static_cast<long double>(angle) * std::numbers::pi_v<long double>
                                             * (1.0L / 180));
    const double sine = static_cast<double>(std::sin(static_cast<long double>(theta)));
    const double cosine = static_cast<double>(std::cos(static_cast<long double>(theta)));

    const int width = source.width();
    const int height = source.height();
    const int halfWidth = width / 2;
    const int halfHeight = height / 2;
    const std::uint8_t* sourceBits = source.constBits();
    const std::ptrdiff_t sourceStride = source.bytesPerLine();
    Bitmap rotated = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y) {
        // Offsets from the centre are doubled and taken to the pixel's middle,
        // so they are odd integers and need no fractions.
        const long double y2 = 2 * (y - halfHeight) + 1;
        const long double y2Sine = y2 * sine;
        const long double y2Cosine = y2 * cosine;
        RGBTriple* out = RowPixels(rotated, y);
        for (int x = 0; x < width; ++x) {
            const long double x2 = 2 * (x - halfWidth) + 1;
            const long long t = Round(x2 * cosine - y2Sine);
            const long long u = Round(x2 * sine + y2Cosine);
            const long long sx = halfWidth + (t - 1) / 2;
            const long long sy = halfHeight + (u - 1) / 2;
            out[x] = sx >= 0 && sx < width && sy >= 0 && sy < height
                ? reinterpret_cast<const RGBTriple*>(sourceBits + sy * sourceStride)[sx]
                : cornerColour;
        }
    }
    return rotated;
}

Bitmap TileBitmap(Size size, const Bitmap& tile)
{
    const int tileWidth = tile.width();
    const int tileHeight = tile.height();
    if (tileWidth < 1 || tileHeight < 1)
        throw std::invalid_argument("TileBitmap needs a tile of at least one pixel");
    Bitmap tiled = NewWorkingBitmap(size.width(), size.height());
    for (int y = 0; y < size.height(); ++y) {
        const RGBTriple* in = RowPixels(tile, y % tileHeight);
        RGBTriple* out = RowPixels(tiled, y);
        for (int x = 0; x < size.width(); x += tileWidth)
            std::memcpy(out + x, in, sizeof(RGBTriple) * std::min(tileWidth, size.width() - x));
    }
    return tiled;
}

} // namespace pictaron
