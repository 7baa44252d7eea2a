#include "palette/nearestcolour.h"

#include "components/errors.h"

#include <algorithm>
#include <climits>

namespace pictaron {

namespace {

constexpr int kCellsPerChannel = 4;

// Least and greatest squared difference between a channel value and any value
// of the range low..high.
int LeastSquare(int value, int low, int high)
{
    const int gap = value < low ? low - value : value > high ? value - high : 0;
    return gap * gap;
}

int GreatestSquare(int value, int low, int high)
{
    return std::max((value - low) * (value - low), (value - high) * (value - high));
}

// The weighted least and greatest distance from a colour to a block of colours.
struct BlockRange {
    int redLow, greenLow, blueLow, size;

    int Least(int red, int green, int blue) const
    {
        return 10 * LeastSquare(green, greenLow, greenLow + size - 1) + 3 * LeastSquare(red, redLow, redLow + size - 1)
            + LeastSquare(blue, blueLow, blueLow + size - 1);
    }
    int Greatest(int red, int green, int blue) const
    {
        return 10 * GreatestSquare(green, greenLow, greenLow + size - 1)
            + 3 * GreatestSquare(red, redLow, redLow + size - 1) + GreatestSquare(blue, blueLow, blueLow + size - 1);
    }
};

} // namespace

int NearestPaletteIndex(const Palette& palette, int red, int green, int blue)
{
    int best = INT_MAX;
    int result = 0;
    for (int i = static_cast<int>(palette.size()) - 1; i >= 0; --i) {
        const PaletteEntry& entry = palette[static_cast<std::size_t>(i)];
        const int distance = ColourDistance(entry.red, entry.green, entry.blue, red, green, blue, best);
        if (distance < best) {
            result = i;
            best = distance;
        }
    }
    return result;
}

void TPaletteCluster::Build(const Palette& palette)
{
    if (palette.empty())
        throw PictaronError(std::string("There is no colour to map the picture to."));

    // 64 cells, red slowest and blue fastest, centres 32 + 64·i per channel.
    std::vector<TCluster> clusters;
    for (int r = 0; r < kCellsPerChannel; ++r)
        for (int g = 0; g < kCellsPerChannel; ++g)
            for (int b = 0; b < kCellsPerChannel; ++b)
                clusters.push_back(TCluster{32 + 64 * r, 32 + 64 * g, 32 + 64 * b, {}});

    // Each entry goes to its nearest cell; on equal distance the earlier cell.
    for (std::size_t i = 0; i < palette.size() && i < kMaxPaletteEntries; ++i) {
        const PaletteEntry& entry = palette[i];
        TCluster* nearest = nullptr;
        int best = INT_MAX;
        for (TCluster& cell : clusters) {
            const int distance = ColourDistance(cell.red, cell.green, cell.blue, entry.red, entry.green, entry.blue, best);
            if (distance < best) {
                best = distance;
                nearest = &cell;
            }
        }
        nearest->items.push_back(Item{entry.red, entry.green, entry.blue, static_cast<std::uint8_t>(i)});
    }
    std::erase_if(clusters, [](const TCluster& cell) { return cell.items.empty(); });

    blocks_.assign(static_cast<std::size_t>(kBlocksPerChannel * kBlocksPerChannel * kBlocksPerChannel), Block{});
    cells_.clear();
    items_.clear();
    constexpr int size = 1 << kBlockShift;
    for (int r = 0; r < 256; r += size)
        for (int g = 0; g < 256; g += size)
            for (int b = 0; b < 256; b += size)
                BuildBlock(clusters, r, g, b, blocks_[static_cast<std::size_t>(BlockOf(r, g, b))]);
}

void TPaletteCluster::BuildBlock(const std::vector<TCluster>& clusters, int red, int green, int blue, Block& block)
{
    const BlockRange range{red, green, blue, 1 << kBlockShift};

    // A cell (or colour) can be nearest to some colour of the block only when
    // its least distance to the block does not exceed the greatest distance of
    // the best-placed one; ties must stay in, since they decide by order.
    int cellLimit = INT_MAX;
    for (const TCluster& cell : clusters)
        cellLimit = std::min(cellLimit, range.Greatest(cell.red, cell.green, cell.blue));

    block.firstCell = static_cast<std::uint32_t>(cells_.size());
    for (auto cell = clusters.rbegin(); cell != clusters.rend(); ++cell) {
        if (range.Least(cell->red, cell->green, cell->blue) > cellLimit)
            continue;
        int itemLimit = INT_MAX;
        for (const Item& item : cell->items)
            itemLimit = std::min(itemLimit, range.Greatest(item.red, item.green, item.blue));
        CandidateCell candidate{std::int16_t(cell->red), std::int16_t(cell->green), std::int16_t(cell->blue), 0,
                                static_cast<std::uint32_t>(items_.size())};
        for (auto item = cell->items.rbegin(); item != cell->items.rend(); ++item) {
            if (range.Least(item->red, item->green, item->blue) <= itemLimit) {
                items_.push_back(*item);
                ++candidate.itemCount;
            }
        }
        cells_.push_back(candidate);
    }
    block.cellCount = static_cast<std::uint16_t>(cells_.size() - block.firstCell);
    if (block.cellCount == 1 && cells_.back().itemCount == 1) {
        block.answer = items_.back().index;
        block.cellCount = 0;
        cells_.pop_back();
        items_.pop_back();
    }
}

} // namespace pictaron
