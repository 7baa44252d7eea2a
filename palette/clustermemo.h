// The cluster lookup remembered per colour.
//
// A photograph holds far fewer distinct colours than pixels (a 20-megapixel
// photo about 250 000, twice that once dithered), so the mapping passes ask the
// cluster once per colour and read every later pixel of that colour from
// memory. The answers sit in one table indexed by the colour's interleaved key,
// with a bit per colour saying whether its answer is there yet; both are
// reserved untouched, so only the memory pages that colours reach become
// resident (at most 16 MiB of answers and 2 MiB of bits). A lookup reads the
// bit and the answer side by side, with no page index to wait for first. The
// stored answer is the cluster's own, so the passes' results, ties included,
// do not change.
#pragma once

#include "palette/colourkey.h"
#include "palette/nearestcolour.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace pictaron {

// A cluster for the palette, to share; throws for an empty palette.
std::shared_ptr<const TPaletteCluster> BuildCluster(const Palette& palette);

class ClusterMemo {
public:
    // The palette must have at least one entry.
    explicit ClusterMemo(const Palette& palette);
    // Memos of one cluster, say one per thread, share it read-only.
    explicit ClusterMemo(std::shared_ptr<const TPaletteCluster> cluster);

    int Lookup(int red, int green, int blue)
    {
        const std::uint32_t key = InterleavedKey(red, green, blue);
        std::uint64_t& known = known_[key >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (key & 63);
        if ((known & bit) == 0) {
            answers_[key] = static_cast<std::uint8_t>(cluster_->Lookup(red, green, blue));
            known |= bit;
        }
        return answers_[key];
    }

private:
    // Nearby colours, which a dithered row visits one after another, share the
    // top of their keys and so the same cache lines of bits and answers.
    static constexpr std::size_t kColours = std::size_t{1} << 24;

    struct Free {
        void operator()(void* memory) const { std::free(memory); }
    };

    std::shared_ptr<const TPaletteCluster> cluster_;
    std::unique_ptr<std::uint64_t[], Free> known_;   // kColours bits, zeroed
    std::unique_ptr<std::uint8_t[], Free> answers_;  // read only where known
};

} // namespace pictaron
