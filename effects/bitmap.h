// The engine's picture: rows of pixels in one block of memory.
//
// Copies share the block until one of them writes: every non-const row access
// first makes the pixels its own when another copy (or a read-only file
// mapping) still holds them, so a run can hand pictures from step to step
// without copying and a step can never change the picture it was given. Rows
// are padded to four bytes, so always step from row to row with scanLine() or
// bytesPerLine(), never with the width.
//
// The formats are the few the engine works in; their names and layouts are
// those of the toolkit's pictures, so the window shows a bitmap's rows as they
// are (components/qimagebridge.h).
#pragma once

#include "components/sizes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pictaron {

// A palette entry: 0xAARRGGBB.
using Argb = std::uint32_t;

inline constexpr Argb PackRgb(int red, int green, int blue)
{
    return 0xFF000000u | static_cast<Argb>(red & 0xFF) << 16 | static_cast<Argb>(green & 0xFF) << 8
           | static_cast<Argb>(blue & 0xFF);
}
inline constexpr int RedOf(Argb colour) { return static_cast<int>(colour >> 16 & 0xFF); }
inline constexpr int GreenOf(Argb colour) { return static_cast<int>(colour >> 8 & 0xFF); }
inline constexpr int BlueOf(Argb colour) { return static_cast<int>(colour & 0xFF); }

// Raises the error for a picture that does not fit in memory: a
// NotEnoughMemory (components/errors.h).
[[noreturn]] void ThrowOutOfMemory(int width, int height);

class Bitmap {
public:
    enum Format {
        Format_Invalid,
        Format_BGR888,      // the working bitmap: blue, green, red
        Format_RGB888,      // a picture kept in its file's order
        Format_RGBA8888,    // straight (not premultiplied) alpha after the colours
        Format_Grayscale8,  // one byte per pixel: an alpha plane, a grey picture
        Format_Indexed8,    // one palette index per pixel, with its colour table
    };

    // Frees an outside block of pixels when the last copy lets go of it.
    using Release = std::function<void()>;

    Bitmap() = default;
    // Contents undefined; null when a side is not positive, when the pixels
    // would take more than kMaxBitmapBytes or the memory cannot be had. Large
    // blocks are mapped on their own (bitmapmemory.h).
    Bitmap(int width, int height, Format format);
    Bitmap(Size size, Format format) : Bitmap(size.width(), size.height(), format) {}

    // Rows that live elsewhere (a mapped file, a decoder's buffer, a picture
    // of the window), released through release when no copy needs them. A
    // read-only block is copied by the first write.
    static Bitmap Wrap(std::uint8_t* data, int width, int height, std::ptrdiff_t bytesPerLine, Format format,
                       Release release);
    static Bitmap WrapReadOnly(const std::uint8_t* data, int width, int height, std::ptrdiff_t bytesPerLine,
                               Format format, Release release);

    bool isNull() const { return !block_; }
    int width() const { return width_; }
    int height() const { return height_; }
    Size size() const { return {width_, height_}; }
    Format format() const { return format_; }
    // Bits per pixel: 8, 24 or 32 (0 for a null bitmap).
    int depth() const { return 8 * BytesPerPixel(format_); }
    std::ptrdiff_t bytesPerLine() const { return stride_; }
    std::ptrdiff_t sizeInBytes() const { return stride_ * height_; }

    const std::uint8_t* constScanLine(int y) const { return block_->data + y * stride_; }
    const std::uint8_t* scanLine(int y) const { return constScanLine(y); }
    std::uint8_t* scanLine(int y);
    const std::uint8_t* constBits() const { return block_ ? block_->data : nullptr; }
    const std::uint8_t* bits() const { return constBits(); }
    std::uint8_t* bits();

    // A copy with pixels of its own.
    Bitmap copy() const;

    const std::vector<Argb>& colorTable() const { return colours_; }
    void setColorTable(std::vector<Argb> colours) { colours_ = std::move(colours); }
    int colorCount() const { return static_cast<int>(colours_.size()); }

    // Named texts that travel with the picture (what the loader found in the
    // file): any bytes, empty for a key never set.
    std::string text(const std::string& key) const
    {
        const auto found = texts_.find(key);
        return found == texts_.end() ? std::string() : found->second;
    }
    void setText(const std::string& key, std::string value) { texts_.insert_or_assign(key, std::move(value)); }

    // Same format, size, pixels and colour table (row padding aside).
    friend bool operator==(const Bitmap& a, const Bitmap& b);

    static int BytesPerPixel(Format format);
    static std::ptrdiff_t StrideFor(int width, Format format)
    {
        return (static_cast<std::ptrdiff_t>(width) * BytesPerPixel(format) + 3) & ~std::ptrdiff_t(3);
    }

private:
    struct Block {
        std::uint8_t* data = nullptr;
        Release release;
        bool readOnly = false;
        ~Block()
        {
            if (release)
                release();
        }
    };

    void Detach();

    std::shared_ptr<Block> block_;
    int width_ = 0;
    int height_ = 0;
    std::ptrdiff_t stride_ = 0;
    Format format_ = Format_Invalid;
    std::vector<Argb> colours_;
    std::map<std::string, std::string> texts_;
};

} // namespace pictaron
