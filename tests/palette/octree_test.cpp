// The optimised palette: leaves at level 6, reduction after every pixel,
// bottom row first, the most recently made node folded first.
#include "palette/octree.h"

#include "effects/pixels.h"
#include "testbitmaps.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <tuple>

using namespace pictaron;
using namespace pictaron::testbitmaps;

namespace {

PaletteEntry Entry(int red, int green, int blue)
{
    return PaletteEntry{std::uint8_t(red), std::uint8_t(green), std::uint8_t(blue), 0};
}

// The quantiser as its header tells it, without a node pool or remembered
// leaves: every pixel descends from the root, folds take the newest node of
// the deepest level that has one.
Palette ReferencePalette(const Bitmap& bitmap, int colours, int leafLevel)
{
    struct Node {
        bool leaf = false;
        long long count = 0, red = 0, green = 0, blue = 0;
        std::array<int, 8> children{};  // 0: none; node 0 is the root
    };
    std::vector<Node> nodes(1);
    std::vector<std::vector<int>> newest(8);  // per level, inner nodes not yet folded
    newest[0].push_back(0);
    int leaves = 0;
    for (int y = bitmap.height() - 1; y >= 0; --y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const RGBTriple p = RowPixels(bitmap, y)[x];
            int node = 0;
            for (int level = 0; !nodes[node].leaf; ++level) {
                const int shift = 7 - level;
                const int index = (p.red >> shift & 1) << 2 | (p.green >> shift & 1) << 1 | (p.blue >> shift & 1);
                if (nodes[node].children[index] == 0) {
                    nodes[node].children[index] = static_cast<int>(nodes.size());
                    nodes.push_back(Node{level + 1 == leafLevel});
                    leaves += level + 1 == leafLevel;
                    if (level + 1 < leafLevel)
                        newest[level + 1].push_back(nodes[node].children[index]);
                }
                node = nodes[node].children[index];
            }
            nodes[node].count += 1;
            nodes[node].red += p.red, nodes[node].green += p.green, nodes[node].blue += p.blue;
            while (leaves > colours) {
                int level = leafLevel - 1;
                while (level > 0 && newest[level].empty())
                    --level;
                Node& folded = nodes[newest[level].back()];
                newest[level].pop_back();
                for (int& child : folded.children)
                    if (child != 0) {
                        folded.count += nodes[child].count;
                        folded.red += nodes[child].red, folded.green += nodes[child].green;
                        folded.blue += nodes[child].blue;
                        child = 0;
                        --leaves;
                    }
                folded.leaf = true;
                ++leaves;
            }
        }
    Palette palette;
    const auto collect = [&](const auto& self, const Node& node) -> void {
        if (node.leaf)
            palette.push_back(Entry(int(node.red / node.count), int(node.green / node.count), int(node.blue / node.count)));
        for (const int child : node.children)
            if (child != 0)
                self(self, nodes[child]);
    };
    collect(collect, nodes[0]);
    return palette;
}

} // namespace

TEST(OptimisedPalette, OneColourGivesOneLeafAndBlackAfterIt)
{
    const Palette palette = OptimisedPalette(Uniform(7, 5, {12, 200, 99}), 256);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], Entry(12, 200, 99));
    for (std::size_t i = 1; i < palette.size(); ++i)
        ASSERT_EQ(palette[i], Entry(0, 0, 0)) << i;
}

TEST(OptimisedPalette, LowestTwoBitsNeverSplitAColour)
{
    // All six colours share the top six bits of every channel: one leaf, whose
    // colour is the truncated average (612/6, 609/6, 609/6) = (102, 101, 101).
    const Bitmap bitmap = PictureOf({{{100, 100, 100}, {101, 102, 103}, {103, 103, 100}},
                                  {{102, 101, 102}, {103, 100, 101}, {103, 103, 103}}});
    const Palette palette = OptimisedPalette(bitmap, 4);
    ASSERT_EQ(palette.size(), 4u);
    EXPECT_EQ(palette[0], Entry(102, 101, 101));
    EXPECT_EQ(palette[1], Entry(0, 0, 0));
}

TEST(OptimisedPalette, TwoColoursCanCollapseToTheRoot)
{
    // Three colours in three different top-level octants: with room for two,
    // every single-child chain folds without freeing a leaf until the root
    // itself folds, leaving the average of all pixels: (255+0+0+255)/4 = 127,
    // (0+255+0+255)/4 = 127, (0+0+255+255)/4 = 127.
    const Bitmap bitmap = PictureOf({{{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {255, 255, 255}}});
    const Palette palette = OptimisedPalette(bitmap, 2);
    ASSERT_EQ(palette.size(), 2u);
    EXPECT_EQ(palette[0], Entry(127, 127, 127));
    EXPECT_EQ(palette[1], Entry(0, 0, 0));
}

TEST(OptimisedPalette, BottomRowIsVisitedFirst)
{
    // Pixels (0,255,4) and (0,255,0) share a level-5 node, as do (0,0,0) and
    // (0,0,4). Visited bottom row first, left to right, the order is
    // (0,255,4), (0,0,0), (0,255,0), (0,0,4): the fourth leaf triggers a fold
    // of the level-5 node made last, the one of (0,0,0), so the blacks merge
    // into (0,0,2). In the reverse order the greens merge instead.
    const Bitmap bitmap = PictureOf({{{0, 255, 0}, {0, 0, 4}}, {{0, 255, 4}, {0, 0, 0}}});
    const Palette palette = OptimisedPalette(bitmap, 3);
    EXPECT_EQ(palette, (Palette{Entry(0, 0, 2), Entry(0, 255, 0), Entry(0, 255, 4)}));

    const Bitmap reversed = ToBitmap(ImageView(bitmap).mirrored(true, true));
    EXPECT_EQ(OptimisedPalette(reversed, 3), (Palette{Entry(0, 0, 0), Entry(0, 0, 4), Entry(0, 255, 2)}));
}

TEST(OptimisedPalette, CountsOutsideOneTo256AreClamped)
{
    const Bitmap bitmap = Noise(40, 40, 3);
    EXPECT_EQ(OptimisedPalette(bitmap, 0).size(), 1u);
    EXPECT_EQ(OptimisedPalette(bitmap, 1000).size(), 256u);
    // One colour: everything folds into the root, the average of all pixels.
    long long sums[3] = {0, 0, 0};
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            sums[0] += RowPixels(bitmap, y)[x].red;
            sums[1] += RowPixels(bitmap, y)[x].green;
            sums[2] += RowPixels(bitmap, y)[x].blue;
        }
    EXPECT_EQ(OptimisedPalette(bitmap, 1), (Palette{Entry(int(sums[0] / 1600), int(sums[1] / 1600), int(sums[2] / 1600))}));
}

TEST(OptimisedPalette, LeavesNeverExceedTheCountAndKeepDistinctCells)
{
    // On noise over the whole cube: at most N leaves, counted as collected,
    // and since leaves are disjoint boxes of colour holding their own average,
    // no two leaf colours are equal.
    const Bitmap bitmap = Noise(64, 48, 11);
    for (const int colours : {2, 3, 8, 17, 64, 255, 256}) {
        TColorQuantizer quantizer(colours, 6);
        quantizer.FeedPixels(bitmap);
        const auto leaves = quantizer.CollectLeafColours();
        EXPECT_LE(static_cast<int>(leaves.size()), colours);
        EXPECT_GT(leaves.size(), 0u);
        EXPECT_EQ(quantizer.LeafCount(), static_cast<int>(leaves.size()));
        std::set<std::tuple<int, int, int>> distinct;
        for (const PaletteEntry& leaf : leaves)
            distinct.insert({leaf.red, leaf.green, leaf.blue});
        EXPECT_EQ(distinct.size(), leaves.size()) << colours;
        const Palette palette = OptimisedPalette(bitmap, colours);
        ASSERT_EQ(palette.size(), static_cast<std::size_t>(colours));
        EXPECT_TRUE(std::equal(leaves.begin(), leaves.end(), palette.begin()));
    }
}

TEST(OptimisedPalette, SumsOfAHugeLeafDoNotWrap)
{
    // 8.5 million white pixels sum to more than 2^31 per channel.
    const Bitmap bitmap = Uniform(4250, 2000, {255, 254, 253});
    EXPECT_EQ(OptimisedPalette(bitmap, 2)[0], Entry(255, 254, 253));
}

TEST(OptimisedPalette, APixelAfterAFoldReachesTheFoldedLeaf)
{
    // (0,0,4) becomes a second leaf beside (0,0,0); with room for one the
    // fold makes their level-5 parent the leaf. (0,0,7) shares its six top
    // bits with (0,0,4) but must now land in that parent: the average of all
    // three is (0, 0, 11/3) = (0, 0, 3).
    EXPECT_EQ(OptimisedPalette(PictureOf({{{0, 0, 0}, {0, 0, 4}, {0, 0, 7}}}), 1), (Palette{Entry(0, 0, 3)}));
}

TEST(OptimisedPalette, EqualsThePlainTreeOnNoiseAndOnAPhotograph)
{
    // Few colours fold high up the tree, so that later pixels of colours never
    // seen before land in the folded leaves.
    std::vector<Bitmap> pictures = {Noise(120, 90, 5), Noise(30, 20, 6)};
    const QString photo = SharedTestPicture(QStringLiteral("small-photo.png"));
    if (!photo.isEmpty())
        pictures.push_back(ToBitmap(QImage(photo).convertToFormat(QImage::Format_BGR888)));
    for (const Bitmap& bitmap : pictures)
        for (const int leafLevel : {3, 6})
            for (const int colours : {1, 2, 5, 64, 256}) {
                TColorQuantizer quantizer(colours, leafLevel);
                quantizer.FeedPixels(bitmap);
                EXPECT_EQ(quantizer.CollectLeafColours(), ReferencePalette(bitmap, colours, leafLevel))
                    << bitmap.width() << " by " << bitmap.height() << ", level " << leafLevel << ", " << colours;
            }
}
