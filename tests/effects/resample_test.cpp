#include "effects/resample.h"
#include "components/qtbridge.h"

#include "components/errors.h"
#include "effectpictures.h"
#include "formats/pictureloader.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>
#include <vector>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

const ResampleFilter& Method(const char* name)
{
    for (const ResampleFilter& filter : ResampleFilterTable())
        if (QLatin1String(filter.name) == QLatin1String(name))
            return filter;
    throw std::invalid_argument(name);
}

Bitmap Resample(const Bitmap& source, int width, int height, const char* method)
{
    const ResampleFilter& filter = Method(method);
    return ResampleBitmap(source, Size(width, height), filter.filter, filter.support, nullptr);
}

// The mean of one channel over a picture.
double Mean(const Bitmap& picture, int channel)
{
    double sum = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            sum += picture.constScanLine(y)[3 * x + channel];
    return sum / (double(picture.width()) * picture.height());
}

} // namespace

TEST(ResampleFilters, TableInTheListOrder)
{
    const auto& table = ResampleFilterTable();
    const std::vector<std::pair<const char*, float>> expected{
        {"Box", 0.5f}, {"Triangle", 1.0f}, {"Hermite", 1.0f}, {"Bell", 1.5f},
        {"B-Spline", 2.0f}, {"Lanczos3", 3.0f}, {"Mitchell", 2.0f}};
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_STREQ(table[i].name, expected[i].first);
        EXPECT_EQ(table[i].support, expected[i].second);
        // Nothing outside the support.
        EXPECT_EQ(table[i].filter(table[i].support + 0.01f), 0.0f) << table[i].name;
        EXPECT_EQ(table[i].filter(-table[i].support - 0.01f), 0.0f) << table[i].name;
    }
}

TEST(ResampleFilters, ValuesAtKnownPoints)
{
    EXPECT_EQ(FilterBox(0.5f), 1.0f);  // closed at +0.5
    EXPECT_EQ(FilterBox(-0.5f), 0.0f);  // open at -0.5
    EXPECT_EQ(FilterTriangle(0.25f), 0.75f);
    EXPECT_EQ(FilterHermite(0.5f), 0.5f);
    EXPECT_EQ(FilterBell(0.0f), 0.75f);
    EXPECT_EQ(FilterBell(1.0f), 0.125f);
    EXPECT_FLOAT_EQ(FilterBSpline(0.0f), 2.0f / 3);
    EXPECT_FLOAT_EQ(FilterBSpline(1.0f), 1.0f / 6);
    EXPECT_FLOAT_EQ(FilterMitchell(0.0f), 8.0f / 9);
    EXPECT_FLOAT_EQ(FilterMitchell(1.0f), 1.0f / 18);
    EXPECT_EQ(FilterLanczos3(0.0f), 1.0f);
    EXPECT_NEAR(FilterLanczos3(1.0f), 0.0f, 1e-6);
    EXPECT_LT(FilterLanczos3(1.5f), 0.0f);  // the negative lobe
}

TEST(ResampleFilters, ShiftedCopiesOfTheSplinesAddUpToOne)
{
    // An independent property of these kernels: at any offset their integer
    // shifts sum to 1 (Lanczos3 only nearly, so it is left out).
    for (const char* name : {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Mitchell"}) {
        for (float offset : {0.0f, 0.1f, 0.3f, 0.5f, 0.77f}) {
            double sum = 0;
            for (int j = -4; j <= 4; ++j)
                sum += Method(name).filter(offset - j);
            EXPECT_NEAR(sum, 1.0, 1e-6) << name << " at " << offset;
        }
    }
}

TEST(Resample, SameSizeWithInterpolatingFiltersIsTheIdentity)
{
    const Bitmap picture = Noise(17, 11);
    for (const char* name : {"Box", "Triangle", "Hermite", "Lanczos3"})
        EXPECT_EQ(Resample(picture, 17, 11, name), picture) << name;
}

TEST(Resample, TriangleEnlargesTwoByTwoToThreeByThree)
{
    // The middle column takes half of each neighbour: 127.5 rounds to the even 128.
    const Bitmap source = VerticalEdge(2, 2, 1, Grey(0), Grey(255));
    const Bitmap enlarged = Resample(source, 3, 3, "Triangle");
    ASSERT_EQ(enlarged.size(), Size(3, 3));
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(Pixel(enlarged, 0, y), Grey(0));
        EXPECT_EQ(Pixel(enlarged, 1, y), Grey(128));
        EXPECT_EQ(Pixel(enlarged, 2, y), Grey(255));
    }
}

TEST(Resample, NegativeLobesAreClampedNotWrapped)
{
    // Black columns 0..4, white 5..9, doubled: the column centred at 3.5
    // undershoots below 0 and the one at 5.5 overshoots above 255.
    const Bitmap source = VerticalEdge(10, 3, 5, Grey(0), Grey(255));
    for (const char* name : {"Lanczos3", "Mitchell"}) {
        const Bitmap enlarged = Resample(source, 19, 3, name);
        for (int y = 0; y < 3; ++y) {
            EXPECT_EQ(Pixel(enlarged, 7, y), Grey(0)) << name;
            EXPECT_EQ(Pixel(enlarged, 11, y), Grey(255)) << name;
        }
    }
}

TEST(Resample, OnePixelWideSourceStretches)
{
    Bitmap column = NewWorkingBitmap(1, 3);
    for (int y = 0; y < 3; ++y)
        RowPixels(column, y)[0] = Grey(40 * y + 10);
    const Bitmap wide = Resample(column, 5, 3, "Triangle");
    ASSERT_EQ(wide.size(), Size(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Pixel(wide, x, y), Grey(40 * y + 10)) << x << "," << y;
}

TEST(Resample, WideFilterOnATinySourceStaysInside)
{
    // Lanczos3 reaches three pixels each way; mirrored once, indices still
    // fall outside a one-pixel source and are clamped to it.
    const Bitmap dot = Filled(1, 1, Grey(100));
    const Bitmap grown = Resample(dot, 6, 4, "Lanczos3");
    ASSERT_EQ(grown.size(), Size(6, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_NEAR(Pixel(grown, x, y).green, 100, 2) << x << "," << y;
    EXPECT_EQ(Resample(Filled(2, 2, Grey(77)), 9, 9, "Lanczos3").size(), Size(9, 9));
}

TEST(Resample, WidthOrHeightOfOneFromALargerSource)
{
    // (1 - 1)/(10 - 1) would be a scale of 0; the one-pixel scale 1/10 is used.
    const Bitmap plain = Filled(10, 8, Grey(100));
    EXPECT_EQ(Resample(plain, 1, 8, "Box"), Filled(1, 8, Grey(100)));
    EXPECT_EQ(Resample(plain, 10, 1, "Box"), Filled(10, 1, Grey(100)));
    EXPECT_EQ(Resample(plain, 1, 1, "Box"), Filled(1, 1, Grey(100)));
    const Bitmap dot = Resample(Noise(40, 30), 1, 1, "Lanczos3");
    EXPECT_EQ(dot.size(), Size(1, 1));
}

TEST(Resample, EmptySourceIsRefused)
{
    try {
        Resample(Bitmap(), 5, 5, "Box");
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), QStringLiteral("Source bitmap too small"));
    }
}

TEST(Resample, ProgressIsReportedInPassOrder)
{
    std::vector<std::tuple<std::string, int, int>> calls;
    const ResampleFilter& filter = Method("Triangle");
    ResampleBitmap(Noise(30, 25), Size(12, 40), filter.filter, filter.support,
                   [&](const std::string& text, int done, int total) { calls.emplace_back(text, done, total); });
    const std::vector<std::tuple<std::string, int, int>> expected{
        {"Horizontal sub-sampling", 0, 11},
        {"", 0, 100},
        {"Horizontal Resize", 0, 24},
        {"", 0, -1}, {"", 10, -1}, {"", 20, -1},
        {"Vertical super-sampling", 0, 39},
        {"", 0, 100},
        {"Vertical Resize", 0, 11},
        {"", 0, -1}, {"", 10, -1},
    };
    EXPECT_EQ(calls, expected);
}

namespace {

// The resampling rule written out pixel by pixel, as plainly as it reads: the
// reference for the row-wise, transposed, vectorised passes of the engine.
struct Tap {
    int index;
    float weight;
};

std::vector<std::vector<Tap>> Taps(int destination, int source, const ResampleFilter& f)
{
    const float scale = destination == 1 || source == 1 ? float(destination) / source
                                                         : float((destination - 1) / (long double)(source - 1));
    const bool sub = scale < 1;
    const float width = sub ? float(f.support / (long double)scale) : f.support;
    const float fscale = sub ? float(1.0L / scale) : 1.0f;
    std::vector<std::vector<Tap>> taps(destination);
    for (int i = 0; i < destination; ++i) {
        const float center = float(i / (long double)scale);
        for (int j = int(std::floor((long double)center - width)); j <= int(std::ceil((long double)center + width)); ++j) {
            const float weight = sub ? float(f.filter(float((center - (long double)j) / fscale)) / (long double)fscale)
                                     : f.filter(float(center - (long double)j));
            const int mirrored = j < 0 ? -j : j >= source ? 2 * source - j - 1 : j;
            if (weight != 0)
                taps[i].push_back({std::clamp(mirrored, 0, source - 1), weight});
        }
    }
    return taps;
}

std::uint8_t Sum(const std::vector<Tap>& taps, const std::function<int(int)>& value)
{
    float sum = 0;
    for (const Tap& tap : taps)
        sum = float(double(sum) + value(tap.index) * double(tap.weight));
    return sum > 255 ? 255 : sum < 0 ? 0 : std::uint8_t(std::nearbyint(sum));
}

Bitmap ReferenceResample(const Bitmap& source, int width, int height, const ResampleFilter& f)
{
    const auto across = Taps(width, source.width(), f);
    const auto down = Taps(height, source.height(), f);
    Bitmap intermediate = NewWorkingBitmap(width, source.height());
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                intermediate.scanLine(y)[3 * x + c] = Sum(across[x], [&](int j) { return source.constScanLine(y)[3 * j + c]; });
    Bitmap result = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                result.scanLine(y)[3 * x + c] = Sum(down[y], [&](int j) { return intermediate.constScanLine(j)[3 * x + c]; });
    return result;
}

} // namespace

TEST(Resample, MatchesThePixelByPixelRule)
{
    // Wide and tall enough that both passes cross the engine's column strips.
    const Bitmap source = Noise(600, 530, 3);
    for (const ResampleFilter& filter : ResampleFilterTable())
        EXPECT_EQ(ResampleBitmap(source, Size(1100, 270), filter.filter, filter.support, nullptr),
                  ReferenceResample(source, 1100, 270, filter))
            << filter.name;
}

TEST(ResizeStep, ZeroSizesStopTheRun)
{
    Texts warnings;
    const Bitmap picture = Noise(8, 8);
    try {
        ResizeStep(picture, 0, 5, Method("Box"), nullptr, warnings);
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), QStringLiteral("Resize width must be above zero."));
    }
    try {
        ResizeStep(picture, 5, 0, Method("Box"), nullptr, warnings);
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), QStringLiteral("Resize height must be above zero."));
    }
    EXPECT_TRUE(warnings.empty());
}

TEST(ResizeStep, FailedResampleWarnsAndKeepsThePicture)
{
    // The resampler refuses an empty source ("Source bitmap too small").
    Texts warnings;
    const Bitmap picture;
    const Bitmap result = ResizeStep(picture, 20, 20, Method("Lanczos3"), nullptr, warnings);
    EXPECT_TRUE(result.isNull());
    EXPECT_EQ(warnings, Texts{"An error occurred while resizing this image.  "
                              "Please select a different size for the image and try again."});
}

TEST(ResizeStep, AResultBeyondMemoryEndsTheRunWithItsSize)
{
    // 1.2 GB and 10.8 GB: refused before they are allocated, with the message
    // of every picture too large for memory, not as a failed resize.
    for (const Size size : {Size(20000, 20000), Size(60000, 60000)}) {
        Texts warnings;
        try {
            ResizeStep(Noise(8, 8), size.width(), size.height(), Method("Lanczos3"), nullptr, warnings);
            ADD_FAILURE() << "no error for " << size.width();
        } catch (const NotEnoughMemory& error) {
            EXPECT_EQ(ToQString(error.message()), QStringLiteral("There is not enough memory for a picture of %1 by %2 pixels.")
                                           .arg(size.width()).arg(size.height()));
        }
        EXPECT_TRUE(warnings.empty());
    }
    // The same through the resize that keeps transparency.
    const PremultipliedPicture picture{Noise(8, 8), Noise(8, 8)};
    EXPECT_THROW(ResamplePremultiplied(picture, Size(60000, 60000), Method("Box"), nullptr), NotEnoughMemory);
}

TEST(ResizeStep, CancellationPassesThrough)
{
    Texts warnings;
    const auto cancel = [](const std::string&, int, int) { throw RunCancelled(); };
    EXPECT_THROW(ResizeStep(Noise(20, 20), 10, 10, Method("Box"), cancel, warnings), RunCancelled);
    EXPECT_TRUE(warnings.empty());
}

TEST(ResizeStep, HalvesTheLargePhotoLikeAnotherResampler)
{
    const QString path = SharedPicture(QStringLiteral("large-photo.jpg"));
    if (path.isEmpty())
        GTEST_SKIP() << "the shared test pictures are not here";
    const Bitmap photo = PictureLoader().Load(path);
    Texts warnings;
    const Bitmap half = ResizeStep(photo, photo.width() / 2, (photo.height() + 1) / 2, Method("Lanczos3"),
                                   nullptr, warnings);
    ASSERT_TRUE(warnings.empty());
    ASSERT_EQ(half.size(), Size(photo.width() / 2, (photo.height() + 1) / 2));
    // Filters keep the mean colour, and the picture stays where it was: Qt's
    // smooth scaling of the same photo differs only slightly, pixel by pixel.
    const Bitmap reference = ToBitmap(ImageView(photo).scaled(ToQSize(half.size()), Qt::IgnoreAspectRatio,
                                                              Qt::SmoothTransformation));
    double difference = 0;
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_NEAR(Mean(half, channel), Mean(photo, channel), 1.0) << channel;
        for (int y = 0; y < half.height(); ++y)
            for (int x = 0; x < half.width(); ++x)
                difference += std::abs(half.constScanLine(y)[3 * x + channel] - reference.constScanLine(y)[3 * x + channel]);
    }
    EXPECT_LT(difference / (3.0 * half.width() * half.height()), 4.0);
}

TEST(Resample, AnyThreadCountGivesTheBytesOfOne)
{
    // Rows across several 32-row strips and columns across several 512-column
    // strips, the last of each cut short.
    const Bitmap source = Noise(700, 101, 5);
    const ResampleFilter& filter = Method("Lanczos3");
    std::vector<Bitmap> results;
    for (const char* threads : {"1", "2", "3"}) {
        const ThreadsVariable variable(threads);
        results.push_back(ResampleBitmap(source, Size(1301, 150), filter.filter, filter.support, nullptr));
    }
    EXPECT_EQ(results[0], ReferenceResample(source, 1301, 150, filter));
    EXPECT_EQ(results[1], results[0]);
    EXPECT_EQ(results[2], results[0]);
}

TEST(Resample, RgbSourceGivesTheWorkingBitmapsResult)
{
    const Bitmap source = Noise(70, 45, 8);
    const Bitmap rgb = ToBitmap(ImageView(source).convertToFormat(QImage::Format_RGB888));
    const ResampleFilter& filter = Method("Mitchell");
    const Bitmap result = ResampleBitmap(rgb, Size(33, 90), filter.filter, filter.support, nullptr);
    EXPECT_EQ(result.format(), Bitmap::Format_BGR888);
    EXPECT_EQ(result, ResampleBitmap(source, Size(33, 90), filter.filter, filter.support, nullptr));
}
