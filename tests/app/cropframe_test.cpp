#include "app/cropframe.h"

#include "effects/pixels.h"

#include <gtest/gtest.h>

using namespace pictaron;

namespace {

Bitmap Pattern(int width, int height)
{
    Bitmap picture = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            RowPixels(picture, y)[x] = RGBTriple{std::uint8_t(x * 5), std::uint8_t(y * 3), std::uint8_t(x + y)};
    return picture;
}

bool Inverted(const Bitmap& drawn, const Bitmap& before, int x, int y)
{
    const RGBTriple a = RowPixels(drawn, y)[x], b = RowPixels(before, y)[x];
    return a.red == 255 - b.red && a.green == 255 - b.green && a.blue == 255 - b.blue;
}

} // namespace

TEST(CropFrame, DrawingTwiceRestoresEveryPixel)
{
    const Bitmap before = Pattern(80, 60);
    Bitmap picture = before;
    // Also frames so small that handles overlap each other and the outline.
    for (const auto& [a, b] : {std::pair{QPoint(5, 5), QPoint(50, 50)}, std::pair{QPoint(0, 0), QPoint(79, 59)},
                               std::pair{QPoint(10, 10), QPoint(13, 12)}, std::pair{QPoint(3, 3), QPoint(3, 9)}}) {
        ToggleCropFrame(picture, a, b);
        ToggleCropFrame(picture, a, b);
        EXPECT_EQ(picture, before);
    }
}

TEST(CropFrame, OutlineExcludesRightAndBottomAndHandlesAreFilled)
{
    const Bitmap before = Pattern(100, 100);
    Bitmap picture = before;
    ToggleCropFrame(picture, QPoint(10, 20), QPoint(60, 80));
    // The outline runs along x 10..59 and y 20..79.
    EXPECT_TRUE(Inverted(picture, before, 30, 20));   // top edge
    EXPECT_TRUE(Inverted(picture, before, 59, 40));   // right edge, last column inside
    EXPECT_FALSE(Inverted(picture, before, 60, 40));  // the right coordinate itself is outside
    EXPECT_TRUE(Inverted(picture, before, 30, 79));
    EXPECT_FALSE(Inverted(picture, before, 30, 80));
    EXPECT_FALSE(Inverted(picture, before, 30, 50));  // hollow inside
    // Handle 1 covers 10..15 × 20..25; its pixels on the outline are inverted twice.
    EXPECT_TRUE(Inverted(picture, before, 13, 23));
    EXPECT_FALSE(Inverted(picture, before, 10, 23));
    EXPECT_FALSE(Inverted(picture, before, 16, 23));
    // Handle 4 (right middle): my = 20 + 60 div 2 = 50, square 54..59 × 47..52.
    EXPECT_TRUE(Inverted(picture, before, 56, 47));
    EXPECT_FALSE(Inverted(picture, before, 56, 53));
}

TEST(CropFrame, ClampingAndNormalising)
{
    QPoint a(-2, -5), b(130, 300);
    ClampCropPoints(a, b, QSize(100, 50));
    EXPECT_EQ(a, QPoint(0, 0));
    EXPECT_EQ(b, QPoint(99, 49));
    // Each point is clamped on its own side before the two are put in order.
    QPoint c(70, 10), d(20, 300);
    ClampCropPoints(c, d, QSize(100, 50));
    EXPECT_EQ(c, QPoint(20, 10));
    EXPECT_EQ(d, QPoint(70, 49));
    // The first frame of a small picture shrinks to it.
    QPoint first(5, 5), second(50, 50);
    ClampCropPoints(first, second, QSize(30, 20));
    EXPECT_EQ(second, QPoint(29, 19));
}

TEST(CropFrame, HitTestFindsHandlesInOrderAndTheInside)
{
    const QPoint tl(10, 10), br(110, 60);
    EXPECT_EQ(HitTestCrop({5, 30}, tl, br), DragMode::NewRectangle);
    EXPECT_EQ(HitTestCrop({110, 30}, tl, br), DragMode::NewRectangle);  // right edge is outside
    EXPECT_EQ(HitTestCrop({10, 10}, tl, br), DragMode::TopLeft);
    EXPECT_EQ(HitTestCrop({60, 12}, tl, br), DragMode::TopMiddle);      // mx = 60: 57..62
    EXPECT_EQ(HitTestCrop({109, 10}, tl, br), DragMode::TopRight);
    EXPECT_EQ(HitTestCrop({107, 35}, tl, br), DragMode::RightMiddle);   // my = 35: 32..37
    EXPECT_EQ(HitTestCrop({109, 59}, tl, br), DragMode::BottomRight);
    EXPECT_EQ(HitTestCrop({60, 55}, tl, br), DragMode::BottomMiddle);
    EXPECT_EQ(HitTestCrop({12, 58}, tl, br), DragMode::BottomLeft);
    EXPECT_EQ(HitTestCrop({10, 33}, tl, br), DragMode::LeftMiddle);
    EXPECT_EQ(HitTestCrop({40, 40}, tl, br), DragMode::Move);
    // In a tiny rectangle the first handle in order wins.
    EXPECT_EQ(HitTestCrop({12, 12}, QPoint(10, 10), QPoint(16, 16)), DragMode::TopLeft);
    EXPECT_EQ(CursorFor(DragMode::BottomLeft), Qt::SizeBDiagCursor);
    EXPECT_EQ(CursorFor(DragMode::Move), Qt::PointingHandCursor);
    EXPECT_EQ(CursorFor(DragMode::NewRectangle), Qt::ArrowCursor);
}

TEST(CropFrame, RubberBandsOfEachDrag)
{
    const QPoint tl(10, 20), br(50, 60), pointer(5, 70);
    // Dragging the bottom-right handle past the top-left corner swaps them.
    auto [a, b] = RubberBand(DragMode::BottomRight, {}, pointer, tl, br, {});
    ClampCropPoints(a, b, QSize(100, 100));
    EXPECT_EQ(a, QPoint(5, 20));
    EXPECT_EQ(b, QPoint(10, 70));
    EXPECT_EQ(CropLabels(a, b).first, QStringLiteral("5,20 to 10,70"));
    EXPECT_EQ(CropLabels(a, b).second, QStringLiteral("W:5 H:50"));

    EXPECT_EQ(RubberBand(DragMode::TopRight, {}, pointer, tl, br, {}), std::pair(QPoint(10, 70), QPoint(5, 60)));
    EXPECT_EQ(RubberBand(DragMode::LeftMiddle, {}, pointer, tl, br, {}), std::pair(QPoint(5, 20), br));
    EXPECT_EQ(RubberBand(DragMode::NewRectangle, QPoint(1, 2), pointer, tl, br, {}), std::pair(QPoint(1, 2), pointer));

    // A move near the edge shrinks the rectangle there: each corner is clamped alone.
    auto [m1, m2] = RubberBand(DragMode::Move, {}, QPoint(30, 40), tl, br, QPoint(45, 40));
    EXPECT_EQ(m1, QPoint(-5, 20));
    ClampCropPoints(m1, m2, QSize(100, 100));
    EXPECT_EQ(m1, QPoint(0, 20));
    EXPECT_EQ(m2, QPoint(35, 60));
}

TEST(CropFrame, KeepRatio)
{
    // A 200 by 50 crop rectangle: a height of 100 asks for a width of 400.
    const std::optional<float> ratio = KeepRatio(true, QPoint(0, 0), QPoint(200, 50), QSize(640, 480));
    ASSERT_TRUE(ratio);
    EXPECT_EQ(KeepRatioValue(100, *ratio, true), 400);
    EXPECT_EQ(KeepRatioValue(400, *ratio, false), 100);
    // Without crop, the picture's ratio; halves go to even.
    const std::optional<float> picture = KeepRatio(false, {}, {}, QSize(3, 2));
    EXPECT_EQ(KeepRatioValue(3, *picture, true), 4);   // 4.5 → 4
    EXPECT_EQ(KeepRatioValue(5, *picture, true), 8);   // 7.5 → 8
    EXPECT_EQ(KeepRatioValue(3, *picture, false), 2);
    // Undefined ratios leave the other field alone.
    EXPECT_FALSE(KeepRatio(true, QPoint(5, 5), QPoint(40, 5), QSize(10, 10)));
    EXPECT_FALSE(KeepRatio(true, QPoint(5, 5), QPoint(5, 40), QSize(10, 10)));
}
