#include "effects/bitmapmemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <limits>

namespace pictaron {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

struct Mapping {
    void* base;
    std::size_t length;
};

void Unmap(void* info)
{
    const auto* mapping = static_cast<Mapping*>(info);
    munmap(mapping->base, mapping->length);
    delete mapping;
}

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
    return static_cast<qint64>(width) * height <= kMaxBitmapBytes / bytesPerPixel;
}

QImage AllocateBitmap(int width, int height, QImage::Format format)
{
    if (!FitsBitmapMemory(width, height, 3))
        return {};
    const qsizetype stride = (3 * static_cast<qsizetype>(width) + 3) & ~qsizetype(3);
    if (stride > std::numeric_limits<qsizetype>::max() / height)
        return {};
    const qsizetype bytes = stride * height;
    if (bytes < kLargeBitmapBytes)
        return QImage(width, height, format);

    const std::size_t length = (static_cast<std::size_t>(bytes) + kHugePage - 1) & ~(kHugePage - 1);
    void* memory = MapAligned(length);
    if (!memory)
        return {};
    auto* mapping = new Mapping{memory, length};
    QImage bitmap(static_cast<uchar*>(memory), width, height, stride, format, Unmap, mapping);
    if (bitmap.isNull())
        Unmap(mapping);
    return bitmap;
}

} // namespace pictaron
