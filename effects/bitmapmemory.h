// Memory for bitmaps.
//
// A picture of tens of megabytes taken from the ordinary heap arrives as
// fresh 4 KiB pages, each costing a page fault when first written: about
// fifteen thousand for one 20-megapixel bitmap. Large bitmaps are therefore
// mapped on their own, 2 MiB aligned and offered to the kernel as huge pages,
// which takes that down to a few dozen.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace pictaron {

// Blocks of at least this many bytes get a mapping of their own.
inline constexpr std::size_t kLargeBitmapBytes = std::size_t(2) << 20;

// The most one bitmap may take, a working bitmap of a run or a zoomed view
// alike. Beyond it the system may promise the memory and then end the program
// when the pixels are written, so such a bitmap is refused before it is
// allocated.
inline constexpr std::int64_t kMaxBitmapBytes = std::int64_t(1) << 30;

// Whether width × height pixels of bytesPerPixel bytes stay within
// kMaxBitmapBytes; false for a side that is not positive.
bool FitsBitmapMemory(int width, int height, int bytesPerPixel);

struct BitmapMemory {
    std::uint8_t* data = nullptr;  // null when the memory cannot be had
    std::function<void()> release;
};

// bytes of memory, contents undefined.
BitmapMemory AllocateBitmapMemory(std::size_t bytes);

} // namespace pictaron
