// Memory for large working bitmaps.
//
// A picture of tens of megabytes taken from the ordinary heap arrives as
// fresh 4 KiB pages, each costing a page fault when first written: about
// fifteen thousand for one 20-megapixel bitmap. Large bitmaps are therefore
// mapped on their own, 2 MiB aligned and offered to the kernel as huge pages,
// which takes that down to a few dozen. The QImage owns the mapping and
// unmaps it when its last copy goes.
#pragma once

#include <QImage>

namespace pictaron {

// Bitmaps of at least this many bytes get a mapping of their own.
inline constexpr qsizetype kLargeBitmapBytes = qsizetype(2) << 20;

// The most one bitmap may take, a working bitmap of a run or a zoomed view
// alike. Beyond it the system may promise the memory and then end the program
// when the pixels are written, so such a bitmap is refused before it is
// allocated.
inline constexpr qint64 kMaxBitmapBytes = qint64(1) << 30;

// Whether width × height pixels of bytesPerPixel bytes stay within
// kMaxBitmapBytes; false for a side that is not positive.
bool FitsBitmapMemory(int width, int height, int bytesPerPixel);

// A bitmap of 3-byte pixels (Format_BGR888 or Format_RGB888) with rows padded
// to four bytes, contents undefined; null when the memory cannot be had, when
// it would take more than kMaxBitmapBytes, or a side is not positive.
QImage AllocateBitmap(int width, int height, QImage::Format format);

} // namespace pictaron
