#include "effects/bitmap.h"

#include "effects/bitmapmemory.h"
#include "components/errors.h"
#include "components/plaintext.h"

#include <cstring>

namespace pictaron {

[[noreturn]] void ThrowOutOfMemory(int width, int height)
{
    throw NotEnoughMemory(Substitute("There is not enough memory for a picture of %1 by %2 pixels.", width, height));
}

int Bitmap::BytesPerPixel(Format format)
{
    switch (format) {
    case Format_BGR888:
    case Format_RGB888:
        return 3;
    case Format_RGBA8888:
        return 4;
    case Format_Grayscale8:
    case Format_Indexed8:
        return 1;
    case Format_Invalid:
        break;
    }
    return 0;
}

Bitmap::Bitmap(int width, int height, Format format)
{
    if (format == Format_Invalid || !FitsBitmapMemory(width, height, BytesPerPixel(format)))
        return;
    const std::ptrdiff_t stride = StrideFor(width, format);
    BitmapMemory memory = AllocateBitmapMemory(static_cast<std::size_t>(stride * height));
    if (!memory.data)
        return;
    block_ = std::make_shared<Block>();
    block_->data = memory.data;
    block_->release = std::move(memory.release);
    width_ = width;
    height_ = height;
    stride_ = stride;
    format_ = format;
}

Bitmap Bitmap::Wrap(std::uint8_t* data, int width, int height, std::ptrdiff_t bytesPerLine, Format format,
                    Release release)
{
    Bitmap bitmap;
    if (!data || width <= 0 || height <= 0 || bytesPerLine < width * static_cast<std::ptrdiff_t>(BytesPerPixel(format))) {
        if (release)
            release();
        return bitmap;
    }
    bitmap.block_ = std::make_shared<Block>();
    bitmap.block_->data = data;
    bitmap.block_->release = std::move(release);
    bitmap.width_ = width;
    bitmap.height_ = height;
    bitmap.stride_ = bytesPerLine;
    bitmap.format_ = format;
    return bitmap;
}

Bitmap Bitmap::WrapReadOnly(const std::uint8_t* data, int width, int height, std::ptrdiff_t bytesPerLine,
                            Format format, Release release)
{
    Bitmap bitmap = Wrap(const_cast<std::uint8_t*>(data), width, height, bytesPerLine, format, std::move(release));
    if (bitmap.block_)
        bitmap.block_->readOnly = true;
    return bitmap;
}

std::uint8_t* Bitmap::scanLine(int y)
{
    Detach();
    return block_->data + y * stride_;
}

std::uint8_t* Bitmap::bits()
{
    if (!block_)
        return nullptr;
    Detach();
    return block_->data;
}

void Bitmap::Detach()
{
    if (!block_ || (!block_->readOnly && block_.use_count() == 1))
        return;
    Bitmap own = copy();
    if (own.isNull())
        ThrowOutOfMemory(width_, height_);
    *this = std::move(own);
}

Bitmap Bitmap::copy() const
{
    if (!block_)
        return {};
    Bitmap made(width_, height_, format_);
    if (made.isNull())
        return made;
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * BytesPerPixel(format_);
    for (int y = 0; y < height_; ++y)
        std::memcpy(made.block_->data + y * made.stride_, constScanLine(y), rowBytes);
    made.colours_ = colours_;
    made.texts_ = texts_;
    return made;
}

bool operator==(const Bitmap& a, const Bitmap& b)
{
    if (a.format_ != b.format_ || a.width_ != b.width_ || a.height_ != b.height_ || a.colours_ != b.colours_)
        return false;
    if (a.block_ == b.block_)
        return true;
    const std::size_t rowBytes = static_cast<std::size_t>(a.width_) * Bitmap::BytesPerPixel(a.format_);
    for (int y = 0; y < a.height_; ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    }
    return true;
}

} // namespace pictaron
