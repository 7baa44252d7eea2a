// The remembered lookup must give exactly what the cluster gives, on a
// colour's first visit and on every later one.
#include "palette/clustermemo.h"

#include "testbitmaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace pictaron;
using namespace pictaron::testbitmaps;

TEST(ClusterMemo, AnswersAsTheClusterOnEveryVisit)
{
    // Random colours, and every colour of the blocks around two cell borders,
    // where ties between cells fall; each asked twice in different shuffles.
    std::mt19937 random(5);
    std::vector<Rgb> colours;
    for (int i = 0; i < 100000; ++i)
        colours.push_back(Rgb{int(random() % 256), int(random() % 256), int(random() % 256)});
    for (const int low : {56, 120})
        for (int r = low; r < low + 16; ++r)
            for (int g = low; g < low + 16; ++g)
                for (int b = low; b < low + 16; ++b)
                    colours.push_back(Rgb{r, g, b});

    Palette spread, ties;
    for (int i = 0; i < 256; ++i)
        spread.push_back(PaletteEntry{std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random()), 0});
    for (const int v : {0, 63, 64, 65, 127, 128, 129, 255})
        for (int twice = 0; twice < 2; ++twice)
            ties.push_back(PaletteEntry{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v), 0});

    for (const Palette& palette : {WebSafePalette(), spread, ties}) {
        TPaletteCluster cluster;
        cluster.Build(palette);
        ClusterMemo memo(palette);
        int mismatches = 0;
        for (int round = 0; round < 2; ++round) {
            std::shuffle(colours.begin(), colours.end(), random);
            for (const Rgb& c : colours)
                mismatches += memo.Lookup(c.red, c.green, c.blue) != cluster.Lookup(c.red, c.green, c.blue);
        }
        EXPECT_EQ(mismatches, 0) << palette.size() << " entries";
    }
}

TEST(ClusterMemo, KeepsTheTieRulesWhenReadBack)
{
    ClusterMemo corners(MakePalette({{0, 0, 0}, {255, 255, 255}}));
    ClusterMemo repeated(MakePalette({{40, 40, 40}, {10, 20, 30}, {40, 40, 40}, {50, 50, 50}}));
    for (int visit = 0; visit < 2; ++visit) {
        EXPECT_EQ(corners.Lookup(128, 128, 128), 1);
        EXPECT_EQ(corners.Lookup(127, 127, 127), 0);
        EXPECT_EQ(repeated.Lookup(40, 40, 40), 2);
    }
    EXPECT_ANY_THROW(ClusterMemo(Palette{}));
}
