#include "effects/geometry.h"
#include "components/qtbridge.h"

#include "components/errors.h"
#include "effectpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QTransform>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

const RGBTriple kCorner{1, 2, 3};

} // namespace

TEST(Rotate, ZeroDegreesIsTheIdentityBothWays)
{
    for (const Size size : {Size(7, 5), Size(8, 6), Size(1, 1), Size(1, 9)}) {
        const Bitmap picture = Noise(size.width(), size.height());
        EXPECT_EQ(RotateBitmap(picture, 0, kCorner, true), picture);
        EXPECT_EQ(RotateBitmap(picture, 0, kCorner, false), picture);
    }
}

TEST(Rotate, HalfTurnOfEvenSizesReversesExactly)
{
    const Bitmap picture = Noise(10, 6);
    const Bitmap turned = RotateBitmap(picture, 180, kCorner, true);
    // An independent reversal: Qt's own half turn.
    EXPECT_EQ(turned, ImageView(picture).transformed(QTransform().rotate(180)));
    EXPECT_EQ(RotateBitmap(picture, 180, kCorner, false), turned);
    // Flip then mirror is the same half turn on even sizes.
    EXPECT_EQ(MirrorBitmap(FlipBitmap(picture)), turned);
}

TEST(Rotate, HalfTurnOfOddWidthShiftsByOneAndFillsTheLastColumn)
{
    const Bitmap picture = Noise(7, 4);
    const Bitmap turned = RotateBitmap(picture, 180, kCorner, true);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(Pixel(turned, x, y), Pixel(picture, 7 - 2 - x, 4 - 1 - y)) << x << "," << y;
        EXPECT_EQ(Pixel(turned, 6, y), kCorner);
    }
}

TEST(Rotate, QuarterTurnsOfASquare)
{
    const Bitmap square = Noise(12, 12, 7);
    // Right is clockwise on the screen, as Qt's positive angles with rows counted down.
    const Bitmap right = RotateBitmap(square, 90, kCorner, true);
    EXPECT_EQ(right, ImageView(square).transformed(QTransform().rotate(90)));
    EXPECT_EQ(RotateBitmap(square, 90, kCorner, false), ImageView(square).transformed(QTransform().rotate(-90)));
    EXPECT_EQ(RotateBitmap(square, 270, kCorner, true), RotateBitmap(square, 90, kCorner, false));

    Bitmap turned = square;
    for (int i = 0; i < 4; ++i)
        turned = RotateBitmap(turned, 90, kCorner, i % 2 == 0);  // right, left, right, left
    EXPECT_EQ(turned, square);
    for (int i = 0; i < 4; ++i)
        turned = RotateBitmap(turned, 90, kCorner, true);
    EXPECT_EQ(turned, square);
}

TEST(Rotate, NonSquareQuarterTurnKeepsItsSizeAndFillsTheBands)
{
    const Bitmap picture = Filled(20, 10, Grey(200));
    const Bitmap turned = RotateBitmap(picture, 90, kCorner, true);
    ASSERT_EQ(turned.size(), Size(20, 10));
    // The turned picture is 10 wide and centred: columns 5..14 covered, the
    // bands at both sides in the corner colour.
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(Pixel(turned, 4, y), kCorner);
        EXPECT_EQ(Pixel(turned, 5, y), Grey(200));
        EXPECT_EQ(Pixel(turned, 14, y), Grey(200));
        EXPECT_EQ(Pixel(turned, 15, y), kCorner);
    }
}

TEST(Rotate, SmallAngleKeepsTheCentreAndFillsTheCorners)
{
    const Bitmap picture = Noise(40, 30);
    const Bitmap turned = RotateBitmap(picture, 30, kCorner, true);
    EXPECT_EQ(Pixel(turned, 0, 0), kCorner);
    EXPECT_EQ(Pixel(turned, 39, 29), kCorner);
    // The pixel at the centre stays put.
    EXPECT_EQ(Pixel(turned, 20, 15), Pixel(picture, 20, 15));
}

TEST(FlipMirror, TwiceIsTheIdentity)
{
    const Bitmap picture = Noise(9, 5);
    EXPECT_EQ(FlipBitmap(FlipBitmap(picture)), picture);
    EXPECT_EQ(MirrorBitmap(MirrorBitmap(picture)), picture);
    EXPECT_EQ(FlipBitmap(picture), ImageView(picture).mirrored(false, true));
    EXPECT_EQ(MirrorBitmap(picture), ImageView(picture).mirrored(true, false));
}

TEST(Crop, CopiesTheRectangleWithRightAndBottomExcluded)
{
    const Bitmap picture = Noise(30, 20);
    const Bitmap cropped = CropToSelection(picture, Point(3, 4), Point(13, 9));
    EXPECT_EQ(cropped, ImageView(picture).copy(3, 4, 10, 5));
    // Corners in any order.
    EXPECT_EQ(CropToSelection(picture, Point(13, 4), Point(3, 9)), cropped);
    EXPECT_EQ(CropToSelection(picture, Point(13, 9), Point(3, 4)), cropped);
}

TEST(Crop, ClampsAsTheCropFrameDoes)
{
    const Bitmap picture = Noise(30, 20);
    // The frame keeps its second corner on the last pixel, so the whole
    // picture loses its last column and row.
    EXPECT_EQ(CropToSelection(picture, Point(0, 0), Point(30, 20)), ImageView(picture).copy(0, 0, 29, 19));
    EXPECT_EQ(CropToSelection(picture, Point(-5, -5), Point(500, 500)), ImageView(picture).copy(0, 0, 29, 19));
    // Corners entirely outside are cut to the picture rather than read past it.
    EXPECT_EQ(CropToSelection(picture, Point(100, 100), Point(10, 10)), ImageView(picture).copy(10, 10, 20, 10));
}

TEST(Crop, NothingLeftStopsWithAMessage)
{
    const Bitmap picture = Noise(30, 20);
    for (const auto& corners : {std::pair{Point(5, 5), Point(5, 15)}, std::pair{Point(5, 5), Point(15, 5)},
                                std::pair{Point(-1, -1), Point(-1, -1)}}) {
        try {
            CropToSelection(picture, corners.first, corners.second);
            ADD_FAILURE() << "no error for an empty rectangle";
        } catch (const PictaronError& error) {
            EXPECT_EQ(ToQString(error.message()), QStringLiteral(
                "The crop rectangle is empty.  Draw a frame around the part of the picture to keep."));
        }
    }
}

TEST(Tile, RepeatsTheTileFromTheTopLeft)
{
    const Bitmap tile = Noise(3, 4);
    const Bitmap tiled = TileBitmap(Size(10, 10), tile);
    ASSERT_EQ(tiled.size(), Size(10, 10));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(Pixel(tiled, x, y), Pixel(tile, x % 3, y % 4)) << x << "," << y;
    // A tile larger than the target shows only its top-left part.
    const Bitmap large = Noise(50, 40);
    EXPECT_EQ(TileBitmap(Size(10, 10), large), ImageView(large).copy(0, 0, 10, 10));
}
