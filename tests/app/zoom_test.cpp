#include "app/zoom.h"

#include "effects/pixels.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pictaron;

TEST(Zoom, ItemsAndScales)
{
    const QStringList items = ZoomItems();
    ASSERT_EQ(items.size(), 19);
    EXPECT_EQ(items.first(), QStringLiteral("10%"));
    EXPECT_EQ(items[9], kFullSizeZoom);
    EXPECT_EQ(items.last(), QStringLiteral("1000%"));
    EXPECT_FLOAT_EQ(ZoomScaleFromText(QStringLiteral("50%")), 0.5f);
    EXPECT_FLOAT_EQ(ZoomScaleFromText(QStringLiteral("1000%")), 10.0f);
    EXPECT_FLOAT_EQ(ZoomScaleFromText(QStringLiteral("nonsense")), 1.0f);
}

TEST(Zoom, SizesRoundHalvesToEven)
{
    EXPECT_EQ(ZoomPicture(NewWorkingBitmap(101, 101), 0.5f).size(), Size(50, 50));
    EXPECT_EQ(ZoomPicture(NewWorkingBitmap(103, 99), 0.5f).size(), Size(52, 50));
    EXPECT_EQ(ZoomPicture(NewWorkingBitmap(640, 480), 10.0f).size(), Size(6400, 4800));
    EXPECT_EQ(ZoomPicture(NewWorkingBitmap(3, 3), 0.1f).size(), Size(1, 1));  // never empty
}

TEST(Zoom, NearestNeighbourKeepsEveryColourExactly)
{
    Bitmap picture = NewWorkingBitmap(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            RowPixels(picture, y)[x] = RGBTriple{std::uint8_t(10 * x), std::uint8_t(50 * y), 7};
    const Bitmap twice = ZoomPicture(picture, 2.0f);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(RowPixels(twice, y)[x], RowPixels(picture, y / 2)[x / 2]);
    // Zooming back down picks original pixels, never blends them.
    EXPECT_EQ(ZoomPicture(twice, 0.5f), picture);

    // An indexed result stays indexed with its colour table.
    Bitmap indexed(5, 5, Bitmap::Format_Indexed8);
    indexed.setColorTable({PackRgb(255, 0, 0), PackRgb(0, 0, 255)});
    for (int y = 0; y < 5; ++y)
        std::fill_n(indexed.scanLine(y), 5, 1);
    const Bitmap zoomed = ZoomPicture(indexed, 3.0f);
    EXPECT_EQ(zoomed.format(), Bitmap::Format_Indexed8);
    EXPECT_EQ(ImageView(zoomed).pixel(14, 14), PackRgb(0, 0, 255));
}
