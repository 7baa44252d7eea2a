#include "effects/blend.h"

#include "effects/geometry.h"
#include "effects/pixels.h"
#include "formats/pictureloader.h"

#include <sys/stat.h>

#include <array>
#include <vector>

namespace pictaron {

float BlendFactor(int bias)
{
    return static_cast<float>((Clamp(bias, -100, 100) + 100) * 0.005L);
}

Bitmap BlendBitmaps(const Bitmap& first, const Bitmap& second, float factor)
{
    // MixChannel depends only on the difference of the two values: one table
    // for all 511 differences.
    std::array<int, 511> byDifference;
    for (int d = -255; d <= 255; ++d)
        byDifference[d + 255] = MixChannel(0, d, factor);

    const int width = first.width();
    const int height = first.height();
    Bitmap blended = NewWorkingBitmap(width, height);
    const int rowBytes = 3 * width;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* a = first.constScanLine(y);
        const std::uint8_t* b = second.constScanLine(y);
        std::uint8_t* out = blended.scanLine(y);
        for (int i = 0; i < rowBytes; ++i)
            out[i] = static_cast<std::uint8_t>(a[i] + byDifference[b[i] - a[i] + 255]);
    }
    return blended;
}

Bitmap StretchBitmap(const Bitmap& picture, Size size)
{
    const int width = size.width();
    const int height = size.height();
    const std::int64_t pictureWidth = picture.width();
    const std::int64_t pictureHeight = picture.height();
    std::vector<int> columns(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[x] = static_cast<int>((2 * x + 1) * pictureWidth / (2 * std::int64_t(width)));

    Bitmap stretched = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y) {
        const RGBTriple* in = RowPixels(picture, static_cast<int>((2 * y + 1) * pictureHeight / (2 * std::int64_t(height))));
        RGBTriple* out = RowPixels(stretched, y);
        for (int x = 0; x < width; ++x)
            out[x] = in[columns[x]];
    }
    return stretched;
}

Bitmap BlendStep(const Bitmap& working, const std::string& file, int bias, bool stretch)
{
    // Any kind of file counts as there: the loader says what is wrong with a
    // folder or a pipe of that name. A dangling link is not there.
    struct stat status;
    if (file.empty() || stat(file.c_str(), &status) != 0)
        return working;
    const Bitmap second = PictureLoader().Load(file);
    const Bitmap fitted = stretch ? StretchBitmap(second, working.size()) : TileBitmap(working.size(), second);
    return BlendBitmaps(working, fitted, BlendFactor(bias));
}

} // namespace pictaron
