#include "formats/pngrescue.h"

#include "effects/alpha.h"
#include "effects/pixels.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

namespace pictaron {

namespace {

struct Input {
    const png_byte* data;
    size_t size;
    size_t at = 0;
};

void ReadInput(png_structp png, png_bytep out, size_t length)
{
    auto* input = static_cast<Input*>(png_get_io_ptr(png));
    if (length > input->size - input->at)
        png_error(png, "cut short");
    std::memcpy(out, input->data + input->at, length);
    input->at += length;
}

// libpng's messages stay inside: the loader words its own.
void Quiet(png_structp, png_const_charp) {}
[[noreturn]] void Fail(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// libpng reports errors by longjmp, so these two own nothing: every buffer
// is made before and released after them.
bool ReadHeader(png_structp png, png_infop info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    if (png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
        return false;
    // Every kind as 8-bit RGBA: palettes and low-depth grey expanded, the
    // transparent colour as alpha, opaque kinds given an opaque alpha.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == 4 * static_cast<size_t>(png_get_image_width(png, info));
}

int ReadRows(png_structp png, png_bytep* rows, int height)
{
    volatile int done = 0;
    if (setjmp(png_jmpbuf(png)))
        return done;
    while (done < height) {
        png_read_row(png, rows[done], nullptr);
        done = done + 1;
    }
    return done;
}

} // namespace

std::optional<RescuedPng> RescueCutPng(const QByteArray& bytes)
{
    Input input{reinterpret_cast<const png_byte*>(bytes.constData()), static_cast<size_t>(bytes.size())};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    struct Release {
        png_structp& png;
        png_infop& info;
        ~Release() { png_destroy_read_struct(&png, &info, nullptr); }
    } release{png, info};
    if (!info)
        return std::nullopt;
    png_set_read_fn(png, &input, ReadInput);
    // A damaged chunk is read for what it holds.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    if (!ReadHeader(png, info))
        return std::nullopt;

    const int width = static_cast<int>(png_get_image_width(png, info));
    const int height = static_cast<int>(png_get_image_height(png, info));
    Bitmap rgba(width, height, Bitmap::Format_RGBA8888);
    if (rgba.isNull())
        ThrowOutOfMemory(width, height);
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = rgba.scanLine(y);
    const int read = ReadRows(png, rows.data(), height);
    if (read == 0)
        return std::nullopt;

    // What was read, as straight colours and alpha; the rows missing grey
    // and opaque.
    Bitmap straight = NewWorkingBitmap(width, height);
    Bitmap alpha(width, height, Bitmap::Format_Grayscale8);
    if (alpha.isNull())
        ThrowOutOfMemory(width, height);
    bool opaque = true;
    for (int y = 0; y < height; ++y) {
        const uchar* in = rgba.constScanLine(y);
        RGBTriple* out = RowPixels(straight, y);
        uchar* coverage = alpha.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (y >= read) {
                out[x] = RGBTriple{128, 128, 128};
                coverage[x] = 255;
                continue;
            }
            out[x] = RGBTriple{in[4 * x + 2], in[4 * x + 1], in[4 * x]};
            coverage[x] = in[4 * x + 3];
            opaque = opaque && coverage[x] == 255;
        }
    }
    const bool whole = read == height;
    if (opaque)
        return RescuedPng{std::move(straight), Bitmap(), whole};
    Bitmap flattened = FlattenOntoWhite(straight, alpha);
    return RescuedPng{std::move(flattened), std::move(alpha), whole};
}

} // namespace pictaron
