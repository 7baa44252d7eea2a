// The magnifier's source area, worked out by hand for a 170 x 190 view.
#include "preview/zoomgeometry.h"

#include <gtest/gtest.h>

namespace pictaron {
namespace {

const QSize kView(170, 190);
const QRect kScreen(0, 0, 1280, 800);

TEST(MagnifierArea, AtZoomOneTheSourceIsTheViewingArea)
{
    const MagnifyArea a = MagnifierArea(QPoint(600, 400), kView, 1, kScreen);
    EXPECT_EQ(a.source, QRect(515, 305, 170, 190));
    EXPECT_EQ(a.copyFrom, QRect(516, 306, 168, 188));
    EXPECT_EQ(a.drawTo, QRect(2, 2, 169, 189));
}

TEST(MagnifierArea, AtZoomSixteenTheSourceIsASixteenthEachWay)
{
    const MagnifyArea a = MagnifierArea(QPoint(600, 400), kView, 16, kScreen);
    EXPECT_EQ(a.source, QRect(595, 395, 10, 11)); // 170 div 16, 190 div 16
    EXPECT_EQ(a.copyFrom, QRect(596, 396, 8, 9));
    EXPECT_EQ(a.drawTo, QRect(2, 2, 169, 189));
}

TEST(MagnifierArea, StaysInsideTheScreenAtItsEdges)
{
    EXPECT_EQ(MagnifierArea(QPoint(3, 2), kView, 2, kScreen).source, QRect(0, 0, 85, 95));
    EXPECT_EQ(MagnifierArea(QPoint(1279, 799), kView, 2, kScreen).source, QRect(1195, 705, 85, 95));
    EXPECT_EQ(MagnifierArea(QPoint(1279, 10), kView, 1, kScreen).source, QRect(1110, 0, 170, 190));
    // A second screen to the right of the first.
    const QRect right(1280, 0, 1024, 768);
    EXPECT_EQ(MagnifierArea(QPoint(1281, 767), kView, 1, right).source, QRect(1280, 578, 170, 190));
    EXPECT_EQ(MagnifierArea(QPoint(2303, 0), kView, 1, right).source, QRect(2134, 0, 170, 190));
}

} // namespace
} // namespace pictaron
