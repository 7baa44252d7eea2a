#include "effects/bitmapmemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace pictaron {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

// length bytes at a 2 MiB boundary: a mapping one huge page longer, trimmed.
void* MapAligned(std::size_t length)
{
    void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > start)
        munmap(raw, aligned - start);
    munmap(reinterpret_cast<void*>(aligned + length), start + kHugePage - aligned);
    // Only a hint: without huge pages the mapping still works, page by page.
    madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

} // namespace

bool FitsBitmapMemory(int width, int height, int bytesPerPixel)
{
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0)
        return false;
    return static_cast<std::int64_t>(width) * height <= kMaxBitmapBytes / bytesPerPixel;
}

BitmapMemory AllocateBitmapMemory(std::size_t bytes)
{
    if (bytes < kLargeBitmapBytes) {
        auto* data = new (std::nothrow) std::uint8_t[bytes];
        if (!data)
            return {};
        return {data, [data] { delete[] data; }};
    }
    const std::size_t length = (bytes + kHugePage - 1) & ~(kHugePage - 1);
    void* memory = MapAligned(length);
    if (!memory)
        return {};
    return {static_cast<std::uint8_t*>(memory), [memory, length] { munmap(memory, length); }};
}

} // namespace pictaron
