// Colour distance, the exact nearest-colour scan and the cell lookup with its
// tie rules. The lookup answers from precomputed candidates; a literal
// implementation of the cell rule below is the reference it must equal.
#include "palette/nearestcolour.h"

#include "testbitmaps.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

using namespace pictaron;
using namespace pictaron::testbitmaps;

namespace {

// The cell rule, step by step: 64 cells, entries filed under the nearest
// centre (earlier cell on ties), empty cells dropped; a colour goes to the
// nearest remaining cell (later cell on ties) and takes the nearest colour
// there (higher index on ties).
class ReferenceCells {
public:
    explicit ReferenceCells(const Palette& palette)
    {
        for (int r = 0; r < 4; ++r)
            for (int g = 0; g < 4; ++g)
                for (int b = 0; b < 4; ++b)
                    cells_.push_back(Cell{32 + 64 * r, 32 + 64 * g, 32 + 64 * b, {}});
        for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
            const PaletteEntry& e = palette[static_cast<std::size_t>(i)];
            Cell* nearest = nullptr;
            long best = LONG_MAX;
            for (Cell& cell : cells_) {
                const long d = Full(cell.red, cell.green, cell.blue, e.red, e.green, e.blue);
                if (d < best) {
                    best = d;
                    nearest = &cell;
                }
            }
            nearest->items.push_back(i);
        }
        std::erase_if(cells_, [](const Cell& cell) { return cell.items.empty(); });
        palette_ = palette;
    }

    int Lookup(int red, int green, int blue) const
    {
        const Cell* nearest = nullptr;
        long best = LONG_MAX;
        for (auto cell = cells_.rbegin(); cell != cells_.rend(); ++cell) {
            const long d = Full(cell->red, cell->green, cell->blue, red, green, blue);
            if (d < best) {
                best = d;
                nearest = &*cell;
            }
        }
        int result = -1;
        best = LONG_MAX;
        for (auto item = nearest->items.rbegin(); item != nearest->items.rend(); ++item) {
            const PaletteEntry& e = palette_[static_cast<std::size_t>(*item)];
            const long d = Full(e.red, e.green, e.blue, red, green, blue);
            if (d < best) {
                best = d;
                result = *item;
            }
        }
        return result;
    }

private:
    struct Cell {
        int red, green, blue;
        std::vector<int> items;
    };
    static long Full(int r1, int g1, int b1, int r2, int g2, int b2)
    {
        return 10L * (g1 - g2) * (g1 - g2) + 3L * (r1 - r2) * (r1 - r2) + 1L * (b1 - b2) * (b1 - b2);
    }

    std::vector<Cell> cells_;
    Palette palette_;
};

Palette RandomPalette(std::mt19937& random, int count, int spread, int centre)
{
    std::uniform_int_distribution<int> offset(-spread, spread);
    Palette palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(PaletteEntry{std::uint8_t(std::clamp(centre + offset(random), 0, 255)),
                                       std::uint8_t(std::clamp(centre + offset(random), 0, 255)),
                                       std::uint8_t(std::clamp(centre + offset(random), 0, 255)), 0});
    return palette;
}

// Every colour whose channels step by 5 from an offset, plus every colour of
// the planes where cells meet (channel values 60..68, 124..132, 188..196).
void ExpectSameAsReference(const Palette& palette, const char* name)
{
    TPaletteCluster cluster;
    cluster.Build(palette);
    const ReferenceCells reference(palette);
    int mismatches = 0;
    const auto check = [&](int r, int g, int b) {
        if (cluster.Lookup(r, g, b) != reference.Lookup(r, g, b) && ++mismatches <= 5)
            ADD_FAILURE() << name << ": colour " << r << "," << g << "," << b << " gives " << cluster.Lookup(r, g, b)
                          << ", the cell rule " << reference.Lookup(r, g, b);
    };
    for (int r = 1; r < 256; r += 5)
        for (int g = 2; g < 256; g += 5)
            for (int b = 0; b < 256; b += 5)
                check(r, g, b);
    for (const int edge : {64, 128, 192})
        for (int v = edge - 4; v <= edge + 4; ++v)
            for (int a = 0; a < 256; a += 3)
                for (int c = 0; c < 256; c += 7) {
                    check(v, a, c);
                    check(a, v, c);
                    check(a, c, v);
                }
    EXPECT_EQ(mismatches, 0) << name;
}

} // namespace

TEST(ColourDistance, WeighsGreenTenRedThreeBlueOne)
{
    EXPECT_EQ(ColourDistance(0, 0, 0, 0, 1, 0, INT_MAX), 10);
    EXPECT_EQ(ColourDistance(0, 0, 0, 2, 0, 0, INT_MAX), 12);
    EXPECT_EQ(ColourDistance(0, 0, 0, 0, 0, 3, INT_MAX), 9);
    EXPECT_EQ(ColourDistance(10, 20, 30, 13, 18, 25, INT_MAX), 40 + 27 + 25);
    EXPECT_EQ(ColourDistance(0, 0, 0, 255, 255, 255, INT_MAX), 14 * 255 * 255);
}

TEST(ColourDistance, StopsOnceTheBoundIsReached)
{
    // Green alone already reaches the bound: red and blue are not added.
    EXPECT_EQ(ColourDistance(0, 0, 0, 50, 3, 50, 90), 90);
    // Green and red reach it: blue is not added.
    EXPECT_EQ(ColourDistance(0, 0, 0, 3, 1, 50, 30), 37);
    // Below the bound the full sum comes back.
    EXPECT_EQ(ColourDistance(0, 0, 0, 3, 1, 5, 100), 62);
}

TEST(NearestPaletteIndex, TiesGoToTheHighestIndex)
{
    const Palette palette = MakePalette({{10, 10, 10}, {200, 0, 0}, {10, 10, 10}, {0, 0, 0}});
    EXPECT_EQ(NearestPaletteIndex(palette, 10, 10, 10), 2);
    EXPECT_EQ(NearestPaletteIndex(palette, 190, 0, 0), 1);
    // (5,5,5) is 14·25 from both black and the greys: black has the highest index.
    EXPECT_EQ(NearestPaletteIndex(palette, 5, 5, 5), 3);
    EXPECT_EQ(NearestPaletteIndex(Palette{}, 5, 5, 5), 0);
}

TEST(PaletteCluster, GreyBetweenBlackAndWhiteTakesTheLaterCorner)
{
    // Both corner cells are 14·96² from grey 128: the later cell, white's, wins.
    TPaletteCluster cluster;
    cluster.Build(MakePalette({{0, 0, 0}, {255, 255, 255}}));
    EXPECT_EQ(cluster.Lookup(128, 128, 128), 1);
    EXPECT_EQ(cluster.Lookup(127, 127, 127), 0);
}

TEST(PaletteCluster, AColourOnACellBorderIsFiledInOneCellAndLookedUpInAnother)
{
    // Grey 128 is filed under the cell of (96,96,96), the earliest of the tied
    // cells; a pixel of that very grey is looked up in (160,160,160), the
    // latest, which holds (170,170,170) only.
    TPaletteCluster cluster;
    cluster.Build(MakePalette({{128, 128, 128}, {170, 170, 170}}));
    EXPECT_EQ(cluster.Lookup(128, 128, 128), 1);
    // Without a colour in the latest cell, the pixel finds its own entry.
    cluster.Build(MakePalette({{128, 128, 128}, {250, 10, 10}}));
    EXPECT_EQ(cluster.Lookup(128, 128, 128), 0);
}

TEST(PaletteCluster, ANearerColourInANeighbouringCellIsNotFound)
{
    // (70,70,70) is nearest to the cell of (96,96,96), which holds only
    // (120,120,120); (60,60,60) next door is much nearer but not compared.
    TPaletteCluster cluster;
    const Palette palette = MakePalette({{60, 60, 60}, {120, 120, 120}});
    cluster.Build(palette);
    EXPECT_EQ(cluster.Lookup(70, 70, 70), 1);
    EXPECT_EQ(NearestPaletteIndex(palette, 70, 70, 70), 0);
}

TEST(PaletteCluster, ARepeatedColourGivesTheHigherIndex)
{
    TPaletteCluster cluster;
    cluster.Build(MakePalette({{40, 40, 40}, {10, 20, 30}, {40, 40, 40}, {50, 50, 50}}));
    EXPECT_EQ(cluster.Lookup(40, 40, 40), 2);
}

TEST(PaletteCluster, OneEntryAnswersEveryColour)
{
    TPaletteCluster cluster;
    cluster.Build(MakePalette({{1, 2, 3}}));
    for (int v = 0; v < 256; v += 15)
        EXPECT_EQ(cluster.Lookup(v, 255 - v, v / 2), 0);
}

TEST(PaletteCluster, AnEmptyPaletteIsRefused)
{
    TPaletteCluster cluster;
    EXPECT_ANY_THROW(cluster.Build(Palette{}));
}

TEST(PaletteCluster, AnswersExactlyAsTheCellRule)
{
    std::mt19937 random(7);
    ExpectSameAsReference(WebSafePalette(), "web-safe");
    ExpectSameAsReference(RandomPalette(random, 256, 128, 128), "256 spread");
    ExpectSameAsReference(RandomPalette(random, 256, 20, 100), "256 crowded into a few cells");
    ExpectSameAsReference(RandomPalette(random, 7, 128, 128), "7 spread");
    // Channels on the cell borders, and every colour twice.
    Palette borders;
    for (const int r : {0, 64, 128, 192, 255})
        for (const int g : {64, 128, 192})
            for (const int b : {0, 63, 64, 65, 128, 191, 192})
                for (int twice = 0; twice < 2; ++twice)
                    borders.push_back(PaletteEntry{std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), 0});
    ExpectSameAsReference(borders, "borders");
}
