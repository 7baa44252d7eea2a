// The cluster lookup remembered per colour.
//
// A photograph holds far fewer distinct colours than pixels (a 20-megapixel
// photo about 250 000), so the mapping passes ask the cluster once per colour
// and read every later pixel of that colour from memory. Answers are kept in
// pages of 8×8×8 colours, made for the blocks of colour space that pixels
// reach, so memory follows the colours the picture uses (576 bytes a block,
// 18 MiB if a picture reached every block). The stored answer is the
// cluster's own, so the passes' results, ties included, do not change.
#pragma once

#include "palette/colourkey.h"
#include "palette/nearestcolour.h"

#include <array>
#include <cstdint>
#include <vector>

namespace pictaron {

class ClusterMemo {
public:
    // The palette must have at least one entry.
    explicit ClusterMemo(const Palette& palette);

    int Lookup(int red, int green, int blue)
    {
        const std::uint32_t key = InterleavedKey(red, green, blue);
        std::uint32_t page = pageOf_[key >> kPlaceBits];
        if (page == kNoPage)
            page = NewPage(key >> kPlaceBits);
        Page& memo = pages_[page];
        const std::uint32_t place = key & (kPageSize - 1);
        const std::uint64_t bit = std::uint64_t{1} << (place & 63);
        if ((memo.known[place >> 6] & bit) == 0) {
            memo.answers[place] = static_cast<std::uint8_t>(cluster_.Lookup(red, green, blue));
            memo.known[place >> 6] |= bit;
        }
        return memo.answers[place];
    }

private:
    // Pages and places within them follow the interleaved key, so nearby
    // colours, which a dithered row visits one after another, share pages and
    // cache lines.
    static constexpr int kPlaceBits = 9;  // a page: 8×8×8 colours
    static constexpr std::uint32_t kPageSize = 1u << kPlaceBits;
    static constexpr std::uint32_t kNoPage = 0xFFFFFFFFu;

    // A bit per colour says whether its answer is there yet; each word of
    // bits covers the 64 answers of one cache line.
    struct Page {
        std::array<std::uint64_t, kPageSize / 64> known{};
        std::array<std::uint8_t, kPageSize> answers;
    };

    // Appends an empty page for the block and returns it.
    std::uint32_t NewPage(std::uint32_t block);

    TPaletteCluster cluster_;
    std::vector<std::uint32_t> pageOf_;  // per block: its page, or kNoPage
    std::vector<Page> pages_;
};

} // namespace pictaron
