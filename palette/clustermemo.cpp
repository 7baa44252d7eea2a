#include "palette/clustermemo.h"

#include <new>

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

ClusterMemo::ClusterMemo(const Palette& palette)
    : known_(Reserve<std::uint64_t>(kColours / 64, true)), answers_(Reserve<std::uint8_t>(kColours, false))
{
    cluster_.Build(palette);
}

} // namespace pictaron
