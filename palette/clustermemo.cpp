#include "palette/clustermemo.h"

#include <new>
#include <utility>

namespace pictaron {

namespace {

// Neither table is written up front: calloc of fresh pages need not clear
// them, and the answers are read only where a bit is set, so the system backs
// no more pages than the picture's colours reach.
template <typename T>
T* Reserve(std::size_t count, bool zeroed)
{
    void* memory = zeroed ? std::calloc(count, sizeof(T)) : std::malloc(count * sizeof(T));
    if (memory == nullptr)
        throw std::bad_alloc();
    return static_cast<T*>(memory);
}

} // namespace

std::shared_ptr<const TPaletteCluster> BuildCluster(const Palette& palette)
{
    auto cluster = std::make_shared<TPaletteCluster>();
    cluster->Build(palette);
    return cluster;
}

ClusterMemo::ClusterMemo(const Palette& palette) : ClusterMemo(BuildCluster(palette)) {}

ClusterMemo::ClusterMemo(std::shared_ptr<const TPaletteCluster> cluster)
    : cluster_(std::move(cluster)),
      known_(Reserve<std::uint64_t>(kColours / 64, true)),
      answers_(Reserve<std::uint8_t>(kColours, false))
{
}

} // namespace pictaron
