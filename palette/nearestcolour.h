// Finding the palette colour nearest to a colour.
//
// Distance is a weighted squared difference, green counting ten times, red
// three times and blue once. Two searches use it:
// - NearestPaletteIndex scans a whole palette; ties go to the highest index.
// - TPaletteCluster, used by the mapping passes, files the palette colours
//   under the nearest of 64 fixed cell centres and compares a pixel only with
//   the colours of the cell nearest to it. That is approximate on purpose: a
//   nearer colour in a neighbouring cell is not found, and the passes' results
//   are defined by this lookup, tie rules included.
#pragma once

#include "palette/palette.h"

#include <cstdint>
#include <vector>

namespace pictaron {

// 10·dG² + 3·dR² + dB², except that the sum is returned as soon as it reaches
// bound. Callers keep a candidate only when it is strictly below their best so
// far and pass that best as the bound, so a cut-short sum never wins.
inline int ColourDistance(int red1, int green1, int blue1, int red2, int green2, int blue2, int bound)
{
    int sum = 10 * (green1 - green2) * (green1 - green2);
    if (sum >= bound)
        return sum;
    sum += 3 * (red1 - red2) * (red1 - red2);
    if (sum >= bound)
        return sum;
    return sum + (blue1 - blue2) * (blue1 - blue2);
}

// The entry nearest to the colour by an exact scan; among equally near entries
// the highest index. 0 for an empty palette.
int NearestPaletteIndex(const Palette& palette, int red, int green, int blue);

class TPaletteCluster {
public:
    // Files every entry under its cell. The palette must have at least one
    // entry.
    void Build(const Palette& palette);

    // The index the cell rule gives: the nearest cell with colours (on equal
    // distance the later cell), then within it the nearest colour (on equal
    // distance the highest index).
    int Lookup(int red, int green, int blue) const
    {
        const Block& block = blocks_[BlockOf(red, green, blue)];
        if (block.cellCount == 0)
            return block.answer;
        const CandidateCell* cell = &cells_[block.firstCell];
        if (block.cellCount > 1)
            cell = NearestCell(cell, block.cellCount, red, green, blue);
        return NearestItem(*cell, red, green, blue);
    }

private:
    // The lookup answers from precomputed candidates. Colour space is cut into
    // blocks of 8×8×8 colours; for each block only the cells that can be
    // nearest to some colour of the block are kept (those whose least distance
    // to the block is within the smallest greatest distance of any cell), and
    // likewise for each such cell only its colours that can be nearest. Scanning
    // these in the cell rule's own order gives exactly the rule's answer, ties
    // included, at a fraction of the work. A block whose answer cannot vary is
    // answered directly.
    static constexpr int kBlockShift = 3;
    static constexpr int kBlocksPerChannel = 256 >> kBlockShift;

    struct Item {  // a palette colour filed under a cell
        std::uint8_t red, green, blue;
        std::uint8_t index;
    };
    struct TCluster {
        int red, green, blue;  // the centre
        std::vector<Item> items;
    };
    struct CandidateCell {
        std::int16_t red, green, blue;  // the centre
        std::uint16_t itemCount;
        std::uint32_t firstItem;  // in items_
    };
    struct Block {
        std::uint32_t firstCell = 0;  // in cells_
        std::uint16_t cellCount = 0;  // 0: the block's colours all give answer
        std::uint16_t answer = 0;
    };

    static int BlockOf(int red, int green, int blue)
    {
        return ((red >> kBlockShift) * kBlocksPerChannel + (green >> kBlockShift)) * kBlocksPerChannel
            + (blue >> kBlockShift);
    }
    void BuildBlock(const std::vector<TCluster>& clusters, int red, int green, int blue, Block& block);

    // The full sum: without the early returns a comparison with the best so
    // far comes out the same, and the loops below stay free of branches.
    static int Distance(int red1, int green1, int blue1, int red2, int green2, int blue2)
    {
        return 10 * (green1 - green2) * (green1 - green2) + 3 * (red1 - red2) * (red1 - red2)
            + (blue1 - blue2) * (blue1 - blue2);
    }

    // Candidates are stored in the rule's scan order (last cell, highest index
    // first), so the strictly-nearer test keeps the rule's tie winner.
    static const CandidateCell* NearestCell(const CandidateCell* cells, int count, int red, int green, int blue)
    {
        const CandidateCell* nearest = cells;
        int best = Distance(red, green, blue, cells->red, cells->green, cells->blue);
        for (int i = 1; i < count; ++i) {
            const int distance = Distance(red, green, blue, cells[i].red, cells[i].green, cells[i].blue);
            if (distance < best) {
                best = distance;
                nearest = cells + i;
            }
        }
        return nearest;
    }
    int NearestItem(const CandidateCell& cell, int red, int green, int blue) const
    {
        const Item* items = items_.data() + cell.firstItem;
        int index = items->index;
        int best = Distance(red, green, blue, items->red, items->green, items->blue);
        for (int i = 1; i < cell.itemCount && best != 0; ++i) {
            const int distance = Distance(red, green, blue, items[i].red, items[i].green, items[i].blue);
            if (distance < best) {
                best = distance;
                index = items[i].index;
            }
        }
        return index;
    }

    std::vector<Block> blocks_;
    std::vector<CandidateCell> cells_;
    std::vector<Item> items_;
};

} // namespace pictaron
