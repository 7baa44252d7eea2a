#include "effects/tone.h"

#include "effectpictures.h"

#include <gtest/gtest.h>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

RGBTriple Rgb(int red, int green, int blue)
{
    return RGBTriple{std::uint8_t(blue), std::uint8_t(green), std::uint8_t(red)};
}

RGBTriple Toned(RGBTriple pixel, int brightness, int contrast)
{
    return Pixel(AdjustTone(Filled(1, 1, pixel), brightness, contrast), 0, 0);
}

} // namespace

TEST(Contrast, WorkedValues)
{
    // k = 51/255 = 0.2: 100 moves a fifth of the way to 0, 200 a fifth of the way to 254.
    EXPECT_EQ(Toned(Grey(100), 0, 51), Grey(80));
    EXPECT_EQ(Toned(Grey(200), 0, 51), Grey(211));
    EXPECT_EQ(Toned(Rgb(10, 127, 255), 0, 255), Rgb(0, 254, 254));
    EXPECT_EQ(Toned(Rgb(10, 127, 255), 0, -255), Rgb(127, 127, 127));
    EXPECT_EQ(Pixel(AdjustContrast(Filled(1, 1, Grey(200)), 51), 0, 0), Grey(211));
}

TEST(Contrast, FullStrengthSplitsAtThePivot)
{
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(ContrastChannel(v, 1.0f), v < 127 ? 0 : 254) << v;
        EXPECT_EQ(ContrastChannel(v, -1.0f), 127) << v;
        EXPECT_EQ(ContrastChannel(v, 0.0f), v) << v;
    }
}

TEST(Contrast, StaysMonotonicAndInRange)
{
    for (int amount = -255; amount <= 255; amount += 17) {
        const float k = static_cast<float>(amount / 255.0L);
        int previous = -1;
        for (int v = 0; v < 256; ++v) {
            const int value = ContrastChannel(v, k);
            EXPECT_GE(value, 0);
            EXPECT_LE(value, 255);
            EXPECT_GE(value, previous) << "amount " << amount << " value " << v;
            previous = value;
        }
    }
}

TEST(Brightness, AddsAndClamps)
{
    EXPECT_EQ(Toned(Rgb(200, 50, 0), 100, 0), Rgb(255, 150, 100));
    EXPECT_EQ(Toned(Rgb(200, 50, 0), -100, 0), Rgb(100, 0, 0));
    EXPECT_EQ(Pixel(AdjustBrightness(Filled(1, 1, Rgb(200, 50, 0)), -100), 0, 0), Rgb(100, 0, 0));
}

TEST(Tone, ContrastComesBeforeBrightness)
{
    // Contrast 255 then +10: 100 → 0 → 10. The other order would give 110 → 0.
    EXPECT_EQ(Toned(Grey(100), 10, 255), Grey(10));
}

TEST(Tone, ZeroAmountsLeaveThePictureUnchanged)
{
    const Bitmap picture = Noise(13, 7);
    EXPECT_EQ(AdjustTone(picture, 0, 0), picture);
}

TEST(Tone, AmountsOutsideTheRangeAreClamped)
{
    const Bitmap picture = Noise(16, 16);
    EXPECT_EQ(AdjustContrast(picture, 400), AdjustContrast(picture, 255));
    EXPECT_EQ(AdjustContrast(picture, -9999), AdjustContrast(picture, -255));
    EXPECT_EQ(AdjustBrightness(picture, 300), Filled(16, 16, Grey(255)));
    EXPECT_EQ(AdjustBrightness(picture, -300), Filled(16, 16, Grey(0)));
}
