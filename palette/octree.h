// The optimised palette: an octree colour quantiser.
//
// Every pixel descends from the root, one level per bit of the channels
// starting at the most significant: at level L the child index is
// 4·(bit 7-L of red) + 2·(bit of green) + (bit of blue). Leaves sit at level 6,
// so a leaf stands for the top six bits of each channel and the lowest two bits
// never split colours. Whenever a pixel leaves the tree with more leaves than
// colours wanted, the inner node created most recently on the deepest level that
// has one is folded into a leaf holding its children's sums; this runs after
// every single pixel, so the palette depends on the order of the pixels, which
// is bottom row first, left to right within a row. The folded root is the last
// resort and gives one colour.
//
// Nodes live in a fixed pool sized for the worst case (the tree never holds
// more than maxColours + 1 leaves, each with at most six inner ancestors), so
// feeding a picture allocates nothing per pixel. A table from the colour's top
// bits (its interleaved key) to the leaf they lead to spares most pixels the
// descent; a fold points the keys below the folded node at it.
#pragma once

#include "palette/palette.h"

#include "effects/bitmap.h"

#include <array>
#include <cstdint>
#include <vector>

namespace pictaron {

class TColorQuantizer {
public:
    // maxColours 1..256; leafLevel 1..7 (the program always uses 6).
    TColorQuantizer(int maxColours, int leafLevel);

    // Inserts every pixel of a working bitmap in the quantiser's order.
    void FeedPixels(const Bitmap& bitmap);
    // The leaves' average colours, depth first with children in index order.
    std::vector<PaletteEntry> CollectLeafColours() const;
    int LeafCount() const { return leafCount_; }

private:
    using NodeRef = std::uint16_t;  // index into nodes_; 0 is "no node"
    static constexpr int kLevels = 8;

    struct TOctreeNode {
        bool leaf = false;
        std::uint32_t path = 0;  // the child indices from the root, three bits a level
        // Sums are 64-bit: a leaf of a large picture easily gathers more than
        // 2^31 / 255 pixels, and a 32-bit sum would wrap into a wrong colour.
        std::int64_t pixelCount = 0;
        std::int64_t redSum = 0;
        std::int64_t greenSum = 0;
        std::int64_t blueSum = 0;
        NodeRef nextReducible = 0;
        std::array<NodeRef, 8> children{};
    };

    // Adds the colour to the leaf its bits lead to, making the path as needed;
    // returns that leaf.
    NodeRef InsertColour(int red, int green, int blue);
    static void AddToLeaf(TOctreeNode& leaf, int red, int green, int blue)
    {
        ++leaf.pixelCount;
        leaf.redSum += red;
        leaf.greenSum += green;
        leaf.blueSum += blue;
    }
    NodeRef NewNode(int level, std::uint32_t path);
    void MergeDeepestNode();
    void CollectFrom(NodeRef node, std::vector<PaletteEntry>& colours) const;

    int maxColours_;
    int leafLevel_;
    int leafCount_ = 0;
    NodeRef root_ = 0;
    std::array<NodeRef, kLevels> reducible_{};
    std::vector<TOctreeNode> nodes_;
    std::vector<NodeRef> freeNodes_;
    std::vector<NodeRef> leafOf_;  // per key of the top leafLevel bits; 0 until reached
};

// A palette of exactly max(1, min(colours, 256)) entries for a working bitmap:
// the octree's leaf colours (channel sums divided by the pixel count,
// truncated), then black for the entries the tree did not fill.
Palette OptimisedPalette(const Bitmap& bitmap, int colours);

} // namespace pictaron
