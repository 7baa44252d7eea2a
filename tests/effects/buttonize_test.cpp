#include "effects/buttonize.h"

#include "components/errors.h"
#include "effectpictures.h"

#include <QPoint>

#include <gtest/gtest.h>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

const RGBTriple kBlack = Grey(0);
const RGBTriple kWhite = Grey(255);

ButtonizeOptions Options(int percent, RGBTriple line, Lighting lighting, bool fade = false, bool invert = false)
{
    ButtonizeOptions options;
    options.widthPercent = percent;
    options.line = line;
    options.lighting = lighting;
    options.fade = fade;
    options.invert = invert;
    return options;
}

} // namespace

TEST(Buttonize, BevelThickness)
{
    // Round(100 · 0.05) div 2 = 2 and Round(40 · 0.05) div 2 = 1.
    EXPECT_EQ(ButtonBevel(100, 40, 5).x, 2);
    EXPECT_EQ(ButtonBevel(100, 40, 5).y, 1);
    // 70 · 0.05 lands just below 3.5 in extended precision (3 → 1); in double
    // it would land just above (4 → 2).
    EXPECT_EQ(ButtonBevel(70, 40, 5).x, 1);
    EXPECT_EQ(ButtonBevel(50, 50, 20).x, 5);
    // Percentages are clamped to 0..100.
    EXPECT_EQ(ButtonBevel(50, 30, 250).x, ButtonBevel(50, 30, 100).x);
    EXPECT_EQ(ButtonBevel(50, 30, -5).x, 0);
}

TEST(Buttonize, BandsThinnerThanAPixelCancelSilently)
{
    const Bitmap picture = Noise(100, 40);
    EXPECT_THROW(ButtonizeBitmap(picture, Options(0, kBlack, Lighting::TopLeft)), RunCancelled);
    // Round(0.8) div 2 = 0 rows at the top and bottom.
    EXPECT_THROW(ButtonizeBitmap(picture, Options(2, kBlack, Lighting::TopLeft)), RunCancelled);
}

TEST(Buttonize, BlackLineLitFromTopLeft)
{
    const Bitmap picture = Filled(50, 50, Grey(100));
    const Bitmap button = ButtonizeBitmap(picture, Options(20, kBlack, Lighting::TopLeft));
    const RGBTriple highlight = Grey(178);  // black mixed 0.7 toward white
    EXPECT_EQ(Pixel(button, 25, 2), highlight);  // top
    EXPECT_EQ(Pixel(button, 2, 25), highlight);  // left
    EXPECT_EQ(Pixel(button, 47, 25), kBlack);    // right
    EXPECT_EQ(Pixel(button, 25, 47), kBlack);    // bottom
    EXPECT_EQ(Pixel(button, 25, 25), Grey(100)); // inside
    EXPECT_EQ(Pixel(button, 6, 6), Grey(100));
    // The frame.
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(Pixel(button, i, 0), kBlack);
        EXPECT_EQ(Pixel(button, i, 49), kBlack);
        EXPECT_EQ(Pixel(button, 0, i), kBlack);
        EXPECT_EQ(Pixel(button, 49, i), kBlack);
    }
}

TEST(Buttonize, WhiteLineWithoutLightingKeepsABlackFrame)
{
    const Bitmap button = ButtonizeBitmap(Filled(50, 50, Grey(100)), Options(20, kWhite, Lighting::None));
    for (const QPoint p : {QPoint(25, 2), QPoint(2, 25), QPoint(47, 25), QPoint(25, 47), QPoint(1, 1)})
        EXPECT_EQ(Pixel(button, p.x(), p.y()), kWhite) << p.x() << "," << p.y();
    EXPECT_EQ(Pixel(button, 0, 0), kBlack);
    EXPECT_EQ(Pixel(button, 25, 49), kBlack);
}

TEST(Buttonize, LaterBandsWinAtTheMitres)
{
    // Lit from top right the top band is highlight and the left band shadow;
    // the mitre runs along the diagonal, the left band painted over the top.
    const Bitmap button = ButtonizeBitmap(Filled(50, 50, Grey(100)), Options(20, kBlack, Lighting::TopRight));
    EXPECT_EQ(Pixel(button, 3, 2), Grey(178));
    EXPECT_EQ(Pixel(button, 2, 2), kBlack);
    EXPECT_EQ(Pixel(button, 2, 3), kBlack);
    // Bottom right: the bottom band (shadow) is painted over the right (highlight).
    EXPECT_EQ(Pixel(button, 46, 47), kBlack);
    EXPECT_EQ(Pixel(button, 48, 46), Grey(178));
}

TEST(Buttonize, InvertSwapsTheColoursAndDarkensTheInside)
{
    const Bitmap button = ButtonizeBitmap(Filled(50, 50, Grey(100)), Options(20, kBlack, Lighting::TopLeft, false, true));
    EXPECT_EQ(Pixel(button, 25, 2), kBlack);       // top now shadow
    EXPECT_EQ(Pixel(button, 47, 25), Grey(178));   // right now highlight
    EXPECT_EQ(Pixel(button, 25, 25), Grey(80));    // 100 + Round(-20)
    // The darkening covers the bands' innermost row and column.
    EXPECT_EQ(Pixel(button, 25, 4), kBlack);
    EXPECT_EQ(Pixel(button, 25, 5), Grey(80));
    EXPECT_EQ(Pixel(button, 5, 25), Grey(80));
}

TEST(Buttonize, FadeRunsFromTheEdgeIntoThePicture)
{
    const Bitmap picture = Filled(100, 100, Grey(100));
    const Bitmap button = ButtonizeBitmap(picture, Options(20, kWhite, Lighting::None, true));
    // bx = by = 10. Row 1 of the top band: factor 1 - 1/10 held as a float
    // (0.8999999762), so 155 · f = 139.4999963 rounds down: 239, not 240.
    EXPECT_EQ(Pixel(button, 50, 1), Grey(239));
    // The innermost row of the top band keeps the picture.
    EXPECT_EQ(Pixel(button, 50, 10), Grey(100));
    // The right band reaches only bx/(bx + 1) next to the frame: 100 + Round(155 · 9/11).
    EXPECT_EQ(Pixel(button, 98, 50), Grey(227));
    // Without fade the bands are solid.
    EXPECT_EQ(Pixel(ButtonizeBitmap(picture, Options(20, kWhite, Lighting::None)), 50, 10), kWhite);
}
