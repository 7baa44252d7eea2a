#include "palette/octree.h"

#include "effects/pixels.h"
#include "palette/colourkey.h"

#include <algorithm>

namespace pictaron {

TColorQuantizer::TColorQuantizer(int maxColours, int leafLevel)
    : maxColours_(std::clamp(maxColours, 1, kMaxPaletteEntries)), leafLevel_(std::clamp(leafLevel, 1, kLevels - 1))
{
    // One more leaf than wanted can exist before a merge, each leaf brings at
    // most leafLevel inner ancestors, and slot 0 stands for "no node".
    const int capacity = 1 + (maxColours_ + 1) * (leafLevel_ + 1);
    nodes_.resize(static_cast<std::size_t>(capacity) + 1);
    freeNodes_.reserve(nodes_.size());
    for (int i = capacity; i >= 1; --i)
        freeNodes_.push_back(static_cast<NodeRef>(i));
    leafOf_.resize(std::size_t{1} << (3 * leafLevel_));
}

void TColorQuantizer::FeedPixels(const Bitmap& bitmap)
{
    // A pixel whose key already leads to a leaf only adds to it: the descent
    // would end there without changing the tree.
    const int ignoredBits = 3 * (8 - leafLevel_);
    const int width = bitmap.width();
    for (int y = bitmap.height() - 1; y >= 0; --y) {
        const RGBTriple* row = RowPixels(bitmap, y);
        for (int x = 0; x < width; ++x) {
            const int red = row[x].red, green = row[x].green, blue = row[x].blue;
            NodeRef& leaf = leafOf_[InterleavedKey(red, green, blue) >> ignoredBits];
            if (leaf != 0) {
                AddToLeaf(nodes_[leaf], red, green, blue);
                continue;
            }
            leaf = InsertColour(red, green, blue);
            while (leafCount_ > maxColours_)
                MergeDeepestNode();
        }
    }
}

TColorQuantizer::NodeRef TColorQuantizer::NewNode(int level, std::uint32_t path)
{
    const NodeRef ref = freeNodes_.back();
    freeNodes_.pop_back();
    TOctreeNode& node = nodes_[ref];
    node = TOctreeNode{};
    node.path = path;
    if (level == leafLevel_) {
        node.leaf = true;
        ++leafCount_;
    } else {
        node.nextReducible = reducible_[level];
        reducible_[level] = ref;
    }
    return ref;
}

TColorQuantizer::NodeRef TColorQuantizer::InsertColour(int red, int green, int blue)
{
    if (root_ == 0)
        root_ = NewNode(0, 0);
    NodeRef ref = root_;
    for (int level = 0;; ++level) {
        TOctreeNode& node = nodes_[ref];
        if (node.leaf) {
            AddToLeaf(node, red, green, blue);
            return ref;
        }
        const int shift = 7 - level;
        const int index = ((red >> shift) & 1) << 2 | ((green >> shift) & 1) << 1 | ((blue >> shift) & 1);
        NodeRef child = node.children[index];
        if (child == 0) {
            child = NewNode(level + 1, node.path << 3 | static_cast<std::uint32_t>(index));
            nodes_[ref].children[index] = child;
        }
        ref = child;
    }
}

void TColorQuantizer::MergeDeepestNode()
{
    int level = leafLevel_ - 1;
    while (level > 0 && reducible_[level] == 0)
        --level;
    const NodeRef ref = reducible_[level];
    TOctreeNode& node = nodes_[ref];
    reducible_[level] = node.nextReducible;

    // Everything below the deepest reducible level is a leaf, so the children
    // are leaves and fold straight into this node.
    int removed = 0;
    for (NodeRef& child : node.children) {
        if (child == 0)
            continue;
        const TOctreeNode& leaf = nodes_[child];
        node.pixelCount += leaf.pixelCount;
        node.redSum += leaf.redSum;
        node.greenSum += leaf.greenSum;
        node.blueSum += leaf.blueSum;
        freeNodes_.push_back(child);
        child = 0;
        ++removed;
    }
    node.leaf = true;
    leafCount_ += 1 - removed;
    const int keyBits = 3 * (leafLevel_ - level);
    const auto first = leafOf_.begin() + static_cast<std::ptrdiff_t>(node.path << keyBits);
    std::fill(first, first + (std::ptrdiff_t{1} << keyBits), ref);
}

std::vector<PaletteEntry> TColorQuantizer::CollectLeafColours() const
{
    std::vector<PaletteEntry> colours;
    colours.reserve(static_cast<std::size_t>(leafCount_));
    if (root_ != 0)
        CollectFrom(root_, colours);
    return colours;
}

void TColorQuantizer::CollectFrom(NodeRef ref, std::vector<PaletteEntry>& colours) const
{
    const TOctreeNode& node = nodes_[ref];
    if (node.leaf) {
        colours.push_back(PaletteEntry{std::uint8_t(node.redSum / node.pixelCount),
                                       std::uint8_t(node.greenSum / node.pixelCount),
                                       std::uint8_t(node.blueSum / node.pixelCount), 0});
        return;
    }
    for (const NodeRef child : node.children)
        if (child != 0)
            CollectFrom(child, colours);
}

Palette OptimisedPalette(const Bitmap& bitmap, int colours)
{
    TColorQuantizer quantizer(colours, 6);
    quantizer.FeedPixels(bitmap);
    Palette palette = quantizer.CollectLeafColours();
    palette.resize(static_cast<std::size_t>(std::clamp(colours, 1, kMaxPaletteEntries)));
    return palette;
}

} // namespace pictaron
