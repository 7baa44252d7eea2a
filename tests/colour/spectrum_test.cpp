// The spectrum, the grey strip and the nearest-point search, against worked
// values and a brute-force search of our own.
#include "colour/pickerpalette.h"
#include "colour/spectrum.h"
#include "components/qimagebridge.h"

#include <gtest/gtest.h>

#include <climits>

namespace pictaron {
namespace {

RGBTriple Rgb(int r, int g, int b) { return RGBTriple{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)}; }
TColor Colour(int r, int g, int b) { return TColor(r) | TColor(g) << 8 | TColor(b) << 16; }

TEST(GradientFill, EndsAreTheGivenColoursAndStepsTruncate)
{
    RGBTriple ramp[91];
    GradientFill(ramp, 0, 90, Rgb(0, 0, 0), Rgb(255, 255, 255));
    for (int x = 0; x <= 90; ++x)
        EXPECT_EQ(ramp[x], Rgb(255 * x / 90, 255 * x / 90, 255 * x / 90)) << x;

    // Falling channels truncate toward zero too: 255 - (255 * 1) div 6 = 213.
    RGBTriple down[7];
    GradientFill(down, 0, 6, Rgb(255, 0, 100), Rgb(0, 255, 100));
    EXPECT_EQ(down[0], Rgb(255, 0, 100));
    EXPECT_EQ(down[1], Rgb(213, 42, 100));
    EXPECT_EQ(down[6], Rgb(0, 255, 100));
}

TEST(GradientFill, SingleEntryGetsStartAndReversedRangeDoesNothing)
{
    RGBTriple one[3] = {Rgb(1, 2, 3), Rgb(1, 2, 3), Rgb(1, 2, 3)};
    GradientFill(one, 1, 1, Rgb(9, 9, 9), Rgb(200, 200, 200));
    EXPECT_EQ(one[1], Rgb(9, 9, 9));
    GradientFill(one, 2, 0, Rgb(50, 50, 50), Rgb(60, 60, 60));
    EXPECT_EQ(one[0], Rgb(1, 2, 3));
    EXPECT_EQ(one[2], Rgb(1, 2, 3));
}

TEST(PixelAt, NegativeCountsAsZeroAndBeyondIsBlack)
{
    Bitmap bitmap = NewWorkingBitmap(2, 2);
    RowPixels(bitmap, 0)[0] = Rgb(10, 20, 30);
    RowPixels(bitmap, 0)[1] = Rgb(40, 50, 60);
    RowPixels(bitmap, 1)[0] = Rgb(70, 80, 90);
    RowPixels(bitmap, 1)[1] = Rgb(1, 2, 3);
    const QImage image = ImageView(bitmap);
    EXPECT_EQ(PixelAt(image, -5, -1), Rgb(10, 20, 30));
    EXPECT_EQ(PixelAt(image, 1, -3), Rgb(40, 50, 60));
    EXPECT_EQ(PixelAt(image, 1, 1), Rgb(1, 2, 3));
    EXPECT_EQ(PixelAt(image, 2, 0), Rgb(0, 0, 0));
    EXPECT_EQ(PixelAt(image, 0, 2), Rgb(0, 0, 0));
}

TEST(Spectrum, DrawnTallerThanThePictureItKeeps)
{
    EXPECT_EQ(DrawSpectrum().size(), QSize(91, 390));
    const QImage picture = SpectrumPicture();
    EXPECT_EQ(picture.size(), QSize(91, 384));
    EXPECT_EQ(PixelAt(picture, 45, 384), Rgb(0, 0, 0));
}

TEST(Spectrum, RowZeroRunsFromBlackThroughRedToWhite)
{
    const QImage s = DrawSpectrum();
    EXPECT_EQ(PixelAt(s, 0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(PixelAt(s, 1, 0), Rgb(42, 0, 0)); // a sixth of the hue
    EXPECT_EQ(PixelAt(s, 45, 0), Rgb(255, 0, 0));
    EXPECT_EQ(PixelAt(s, 89, 0), Rgb(255, 212, 212));
    EXPECT_EQ(PixelAt(s, 90, 0), Rgb(255, 255, 255));
}

TEST(Spectrum, EachBandStartsAtItsAnchorHue)
{
    const QImage s = DrawSpectrum();
    EXPECT_EQ(PixelAt(s, 45, 65), Rgb(255, 255, 0));
    EXPECT_EQ(PixelAt(s, 45, 130), Rgb(0, 255, 0));
    EXPECT_EQ(PixelAt(s, 45, 195), Rgb(0, 255, 255));
    EXPECT_EQ(PixelAt(s, 45, 260), Rgb(0, 0, 255));
    EXPECT_EQ(PixelAt(s, 45, 325), Rgb(128, 0, 128));
    // Halfway into band 0: green is 255 * 32 div 65.
    EXPECT_EQ(PixelAt(s, 45, 32), Rgb(255, 125, 0));
    // Band 5 heads back towards red: 128 + (127 * 64) div 65 = 253.
    EXPECT_EQ(PixelAt(s, 45, 389), Rgb(253, 0, 2));
}

TEST(Spectrum, EveryRowIsBlackAtTheLeftAndWhiteAtTheRight)
{
    const QImage s = DrawSpectrum();
    for (int y = 0; y < s.height(); ++y) {
        EXPECT_EQ(PixelAt(s, 0, y), Rgb(0, 0, 0)) << y;
        EXPECT_EQ(PixelAt(s, 90, y), Rgb(255, 255, 255)) << y;
    }
}

TEST(GreyStrip, EveryRowIsTheSameRamp)
{
    const QImage g = GreyStrip();
    ASSERT_EQ(g.size(), QSize(91, 26));
    EXPECT_EQ(PixelAt(g, 0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(PixelAt(g, 45, 0), Rgb(127, 127, 127));
    EXPECT_EQ(PixelAt(g, 90, 0), Rgb(255, 255, 255));
    for (int y = 1; y < 26; ++y)
        for (int x = 0; x < 91; ++x)
            ASSERT_EQ(PixelAt(g, x, y), PixelAt(g, x, 0));
}

const QSize kControl(91, 390);

TEST(LocateInSpectrum, BlackAndWhiteGoToTheMiddleOfTheEdges)
{
    const QImage picture = SpectrumPicture();
    EXPECT_EQ(LocateInSpectrum(picture, Colour(0, 0, 0), kControl), QPoint(0, 195));
    EXPECT_EQ(LocateInSpectrum(picture, Colour(255, 255, 255), kControl), QPoint(90, 195));
}

TEST(LocateInSpectrum, NearGreyFindsTheBlackBelowTheVisibleSpectrumFirst)
{
    EXPECT_EQ(LocateInSpectrum(SpectrumPicture(), Colour(5, 5, 5), kControl), QPoint(90, 388));
}

TEST(LocateInSpectrum, ColoursOfThePictureAreFoundExactly)
{
    const QImage picture = SpectrumPicture();
    for (const QPoint p : {QPoint(45, 0), QPoint(30, 100), QPoint(70, 250), QPoint(12, 383)}) {
        const TColor c = TripleToColor(PixelAt(picture, p.x(), p.y()));
        const QPoint found = LocateInSpectrum(picture, c, kControl);
        EXPECT_EQ(TripleToColor(PixelAt(picture, found.x(), found.y())), c);
    }
}

// The weighted distance written out plainly, without the early rejection.
int PlainDistance(RGBTriple a, RGBTriple b)
{
    const int dr = a.red - b.red, dg = a.green - b.green, db = a.blue - b.blue;
    return 10 * dg * dg + 3 * dr * dr + db * db;
}

TEST(LocateInSpectrum, OtherColoursGoToTheFirstNearestPointInScanOrder)
{
    const QImage picture = SpectrumPicture();
    for (const TColor c : {Colour(100, 150, 37), Colour(3, 200, 250), Colour(77, 66, 55)}) {
        const RGBTriple want = ColorToTriple(c);
        int best = INT_MAX;
        QPoint expected;
        for (int x = 90; x >= 0; --x)
            for (int y = 388; y >= 0; --y) {
                const int d = PlainDistance(want, PixelAt(picture, x, y));
                if (d < best) {
                    best = d;
                    expected = QPoint(x, y);
                }
            }
        EXPECT_EQ(LocateInSpectrum(picture, c, kControl), expected);
    }
}

} // namespace
} // namespace pictaron
