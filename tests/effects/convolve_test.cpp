#include "effects/convolve.h"

#include "components/errors.h"
#include "effectpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

const RGBTriple kBlack = Grey(0);
const RGBTriple kWhite = Grey(255);

} // namespace

TEST(Convolve, OneColourIsUnchangedByEveryAmount)
{
    const Bitmap plain = Filled(9, 6, RGBTriple{10, 130, 250});
    for (int amount = 5; amount <= 25; amount += 5)
        EXPECT_EQ(Convolve3x3(plain, ConvolveKind::Sharpen, amount), plain) << amount;
    for (int amount = 0; amount <= 20; amount += 5)
        EXPECT_EQ(Convolve3x3(plain, ConvolveKind::Blur, amount), plain) << amount;
}

TEST(Convolve, OnePixelIsItsOwnNeighbourhood)
{
    const Bitmap dot = Filled(1, 1, RGBTriple{1, 77, 254});
    EXPECT_EQ(Convolve3x3(dot, ConvolveKind::Sharpen, 5), dot);
    EXPECT_EQ(Convolve3x3(dot, ConvolveKind::Blur, 0), dot);
}

TEST(Convolve, SharpenAcrossAVerticalEdge)
{
    // Black then white: 255/7 and 2040/7 (clamped).
    Bitmap sharpened = Convolve3x3(VerticalEdge(8, 5, 4, kBlack, kWhite), ConvolveKind::Sharpen, 5);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(Pixel(sharpened, 2, y), kBlack);
        EXPECT_EQ(Pixel(sharpened, 3, y), Grey(36));
        EXPECT_EQ(Pixel(sharpened, 4, y), kWhite);
    }
    // White then black: 1530/7 and -255/7 (clamped, not rounded to -36).
    sharpened = Convolve3x3(VerticalEdge(8, 5, 4, kWhite, kBlack), ConvolveKind::Sharpen, 5);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(Pixel(sharpened, 3, y), Grey(218));
        EXPECT_EQ(Pixel(sharpened, 4, y), kBlack);
        EXPECT_EQ(Pixel(sharpened, 5, y), kBlack);
    }
}

TEST(Convolve, BlurAcrossAVerticalEdge)
{
    // Amount 20, divisor 36: 1530/36 = 42.5 and 7650/36 = 212.5, both truncated.
    const Bitmap blurred = Convolve3x3(VerticalEdge(8, 5, 4, kBlack, kWhite), ConvolveKind::Blur, 20);
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(Pixel(blurred, 3, y), Grey(42));
        EXPECT_EQ(Pixel(blurred, 4, y), Grey(212));
    }
}

TEST(Convolve, BlurAmountZeroIgnoresThePixelItself)
{
    // One white dot on black: each neighbour gets 2·255/16 = 31.875 → 31, the
    // dot itself the mean of eight black neighbours.
    Bitmap picture = Filled(5, 5, kBlack);
    RowPixels(picture, 2)[2] = kWhite;
    const Bitmap blurred = Convolve3x3(picture, ConvolveKind::Blur, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            const bool neighbour = std::abs(x - 2) <= 1 && std::abs(y - 2) <= 1 && !(x == 2 && y == 2);
            EXPECT_EQ(Pixel(blurred, x, y), Grey(neighbour ? 31 : 0)) << x << "," << y;
        }
}

TEST(Convolve, EdgesRepeatTheirPixels)
{
    // A white top row under blur amount 0 (divisor 16): the row above the top
    // row is the top row again, so it keeps (6·255 + 4·255)/16 = 159; treated
    // as black it would fall to 63. The row below takes 6·255/16 = 95.
    Bitmap picture = Filled(6, 4, kBlack);
    std::fill_n(RowPixels(picture, 0), 6, kWhite);
    const Bitmap blurred = Convolve3x3(picture, ConvolveKind::Blur, 0);
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(Pixel(blurred, x, 0), Grey(159)) << x;
        EXPECT_EQ(Pixel(blurred, x, 1), Grey(95)) << x;
        EXPECT_EQ(Pixel(blurred, x, 2), kBlack) << x;
    }
}

TEST(Convolve, KernelsAndTheirSums)
{
    EXPECT_EQ(BuildKernel(ConvolveKind::Sharpen, -1), BuildKernel(ConvolveKind::Sharpen, 5));
    EXPECT_EQ(KernelSum(BuildKernel(ConvolveKind::Sharpen, 5)), 7);
    EXPECT_EQ(KernelSum(BuildKernel(ConvolveKind::Sharpen, 25)), 27);
    EXPECT_EQ(KernelSum(BuildKernel(ConvolveKind::Blur, 0)), 16);
    EXPECT_EQ(KernelSum(BuildKernel(ConvolveKind::Blur, 20)), 36);
}

namespace {

// The filter's rule written out plainly: integer sums, integer division.
Bitmap ReferenceConvolve(const Bitmap& source, const Kernel3x3& k)
{
    const int w = source.width(), h = source.height();
    Bitmap result = NewWorkingBitmap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        sum += k[3 * (dy + 1) + dx + 1]
                            * source.constScanLine(std::clamp(y + dy, 0, h - 1))[3 * std::clamp(x + dx, 0, w - 1) + c];
                result.scanLine(y)[3 * x + c] = std::uint8_t(std::clamp(sum / KernelSum(k), 0, 255));
            }
    return result;
}

} // namespace

TEST(Convolve, MatchesIntegerDivisionForEveryKernelOfTheRun)
{
    const Bitmap source = Noise(37, 11, 9);
    for (int amount = 0; amount <= 25; ++amount) {
        const Kernel3x3 sharpen = BuildKernel(ConvolveKind::Sharpen, amount);
        const Kernel3x3 blur = BuildKernel(ConvolveKind::Blur, amount);
        EXPECT_EQ(ConvolveBitmap(source, sharpen), ReferenceConvolve(source, sharpen)) << amount;
        EXPECT_EQ(ConvolveBitmap(source, blur), ReferenceConvolve(source, blur)) << amount;
    }
    // A negative divisor, and weights near the largest allowed.
    const Kernel3x3 negative{-1, -2, -1, 0, -3, 0, 1, 0, -1};
    EXPECT_EQ(ConvolveBitmap(source, negative), ReferenceConvolve(source, negative));
    const Kernel3x3 heavy{-7000, 0, 0, 0, 7100, 0, 0, 0, -50};
    EXPECT_EQ(ConvolveBitmap(source, heavy), ReferenceConvolve(source, heavy));
}

TEST(Convolve, WeightsTooLargeForExactSumsAreRefused)
{
    EXPECT_THROW(ConvolveBitmap(Noise(4, 4), {0, 0, 0, 0, 65794, 0, 0, 0, 0}), PictaronError);
}

TEST(Convolve, AnyThreadCountGivesTheBytesOfOne)
{
    // Several 64-row parts, the last cut short.
    const Bitmap source = Noise(90, 150, 4);
    const Kernel3x3 kernel = BuildKernel(ConvolveKind::Sharpen, 9);
    std::vector<Bitmap> results;
    for (const char* threads : {"1", "2", "3"}) {
        const ThreadsVariable variable(threads);
        results.push_back(ConvolveBitmap(source, kernel));
    }
    EXPECT_EQ(results[0], ReferenceConvolve(source, kernel));
    EXPECT_EQ(results[1], results[0]);
    EXPECT_EQ(results[2], results[0]);
}

TEST(Convolve, RgbPictureStaysRgb)
{
    const Bitmap source = Noise(40, 30, 6);
    const Kernel3x3 kernel = BuildKernel(ConvolveKind::Blur, 3);
    const Bitmap filtered = ConvolveBitmap(ToBitmap(ImageView(source).convertToFormat(QImage::Format_RGB888)), kernel);
    EXPECT_EQ(filtered.format(), Bitmap::Format_RGB888);
    EXPECT_EQ(filtered, ImageView(ConvolveBitmap(source, kernel)).convertToFormat(QImage::Format_RGB888));
}
