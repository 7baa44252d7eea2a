#include "effects/alpha.h"

#include "effects/pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace pictaron;

namespace {

// Every colour level against every alpha: one row per alpha (0..255), one
// pixel per level (0..255), the same level in all three channels but blue
// and red swapped end for end, so the channels are told apart.
struct Sweep {
    Bitmap flattened;
    Bitmap plane;
    static int Level(int x, int channel) { return channel == 0 ? 255 - x : x; }
};

Sweep MakeSweep()
{
    Sweep sweep{NewWorkingBitmap(256, 256), Bitmap(256, 256, Bitmap::Format_Grayscale8)};
    for (int a = 0; a < 256; ++a) {
        std::uint8_t* row = sweep.flattened.scanLine(a);
        for (int x = 0; x < 256; ++x) {
            sweep.plane.scanLine(a)[x] = static_cast<std::uint8_t>(a);
            for (int channel = 0; channel < 3; ++channel)
                row[3 * x + channel] =
                    static_cast<std::uint8_t>((Sweep::Level(x, channel) * a + 255 * (255 - a) + 127) / 255);
        }
    }
    return sweep;
}

} // namespace

TEST(AlphaTest, StraightColoursFlattenBackToThePixelsTheyCameFrom)
{
    // The loader hands over flattened pixels; a result that keeps the alpha
    // holds the straight colours recovered from them. Shown over white again
    // they must be the pixels the loader gave, within one level, and the
    // recovered colour itself within the rounding the flattening allowed.
    const Sweep sweep = MakeSweep();
    const Bitmap straight =
        StraightColours(PremultipliedOverBlack(sweep.flattened, sweep.plane), AlphaAsBitmap(sweep.plane));
    const Bitmap shown = FlattenOntoWhite(straight, sweep.plane);
    for (int a = 0; a < 256; ++a) {
        const std::uint8_t* colour = straight.constScanLine(a);
        const std::uint8_t* again = shown.constScanLine(a);
        const std::uint8_t* flat = sweep.flattened.constScanLine(a);
        for (int x = 0; x < 256; ++x)
            for (int channel = 0; channel < 3; ++channel) {
                const int at = 3 * x + channel;
                ASSERT_LE(std::abs(again[at] - flat[at]), 1) << "alpha " << a << " level " << x;
                if (a == 0)
                    ASSERT_EQ(colour[at], 0) << "a transparent pixel is black";
                else
                    ASSERT_LE(std::abs(colour[at] - Sweep::Level(x, channel)), 1 + 255 / (2 * a))
                        << "alpha " << a << " level " << x;
            }
    }
}

TEST(AlphaTest, OpaquePixelsPassUnchangedAndThePlaneSurvivesItsBitmap)
{
    const Sweep sweep = MakeSweep();
    const Bitmap coverage = AlphaAsBitmap(sweep.plane);
    EXPECT_EQ(AlphaPlaneOf(coverage), sweep.plane);
    const Bitmap premultiplied = PremultipliedOverBlack(sweep.flattened, sweep.plane);
    // Row 255 is opaque: every step leaves it as it was.
    const Bitmap straight = StraightColours(premultiplied, coverage);
    for (const Bitmap* picture : {&premultiplied, &straight})
        EXPECT_EQ(std::memcmp(picture->constScanLine(255), sweep.flattened.constScanLine(255), 3 * 256), 0);
    // Row 0 is transparent: premultiplied black whatever the flattened pixel.
    for (int x = 0; x < 3 * 256; ++x)
        ASSERT_EQ(premultiplied.constScanLine(0)[x], 0);
}
