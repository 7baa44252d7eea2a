#include "effects/pixels.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPalette>

using namespace pictaron;

TEST(Pixels, ColourValueAndTripleRoundTrip)
{
    const TColor orange = 0x0080FF;  // red 255, green 128, blue 0
    const RGBTriple triple = ColorToTriple(orange);
    // The memory order of a pixel: blue, green, red.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&triple);
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[1], 128);
    EXPECT_EQ(bytes[2], 255);
    EXPECT_EQ(TripleToColor(triple), orange);
}

TEST(Pixels, SystemColourIsWhatThePlatformShows)
{
    int argc = 1;
    char name[] = "pixels_test";
    char* argv[] = {name};
    QGuiApplication app(argc, argv);
    QPalette palette = QGuiApplication::palette();
    palette.setColor(QPalette::Button, QColor(12, 34, 56));
    QGuiApplication::setPalette(palette);

    const RGBTriple face = ColorToTriple(clBtnFace);
    EXPECT_EQ(face.red, 12);
    EXPECT_EQ(face.green, 34);
    EXPECT_EQ(face.blue, 56);
    // Not the bits of the value itself.
    EXPECT_NE(TripleToColor(face), clBtnFace & 0xFFFFFF);
}

TEST(Pixels, WithoutAGraphicsApplicationSystemColoursAreTheClassicOnes)
{
    // As the command line sees them, whatever the desktop's theme.
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(TripleToColor(ColorToTriple(clBtnFace)), 0xC0C0C0u);
    EXPECT_EQ(TripleToColor(ColorToTriple(clHighlight)), 0x800000u);  // navy: blue in the high byte
    EXPECT_EQ(ResolveSystemColour(clBtnShadow), ClassicSystemColour(clBtnShadow));
    EXPECT_EQ(ResolveSystemColour(0x123456u), 0x123456u);
}

TEST(Pixels, RoundHalvesToEvenTruncTowardZero)
{
    EXPECT_EQ(Round(0.5), 0);
    EXPECT_EQ(Round(1.5), 2);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_EQ(Round(-0.5), 0);
    EXPECT_EQ(Round(-1.5), -2);
    EXPECT_EQ(Round(2.5000001), 3);
    EXPECT_EQ(Trunc(-2.7), -2);
    EXPECT_EQ(Trunc(2.7), 2);
}

TEST(Pixels, MixChannelRoundsTheSingleFactorProduct)
{
    EXPECT_EQ(MixChannel(0, 255, 0.5f), 128);
    EXPECT_EQ(MixChannel(0, 1, 0.5f), 0);
    EXPECT_EQ(MixChannel(0, 3, 0.5f), 2);
    EXPECT_EQ(MixChannel(1, 0, 0.5f), 1);
    EXPECT_EQ(MixChannel(0, 255, 0.7f), 178);
    EXPECT_EQ(MixChannel(255, 0, 0.7f), 77);
}

TEST(Pixels, MixColoursKeepsChannelsApart)
{
    const RGBTriple base{10, 20, 30};
    const RGBTriple other{250, 0, 130};
    EXPECT_EQ(MixColours(base, other, 0.0f), base);
    EXPECT_EQ(MixColours(base, other, 1.0f), other);
    const RGBTriple half = MixColours(base, other, 0.5f);
    EXPECT_EQ(half.blue, 130);
    EXPECT_EQ(half.green, 10);
    EXPECT_EQ(half.red, 80);
}

TEST(Pixels, Clamp)
{
    EXPECT_EQ(Clamp(300, 0, 255), 255);
    EXPECT_EQ(Clamp(-4, 0, 255), 0);
    EXPECT_EQ(Clamp(17, 0, 255), 17);
}

TEST(Pixels, WorkingBitmapRowsArePaddedBgr)
{
    // Width 3: 9 bytes of pixels, padded to 12.
    QImage rgb(3, 2, QImage::Format_RGB32);
    rgb.fill(QColor(255, 128, 0));
    const Bitmap working = ToWorkingBitmap(ToBitmap(rgb));
    ASSERT_EQ(working.format(), Bitmap::Format_BGR888);
    EXPECT_EQ(working.bytesPerLine(), 12);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(RowPixels(working, y)[x], (RGBTriple{0, 128, 255}));
}
