#include "formats/pngcodec.h"

#include "components/errors.h"
#include "components/plaintext.h"
#include "formats/moduleexport.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace pictaron {

namespace {

// Where libpng's output and its last error go. Nothing here throws across
// libpng: the write callback catches, and errors leave by png_longjmp.
struct PngSink {
    std::string bytes;
    char message[256] = "";
    char warning[256] = "";  // the last warning, which often says what the error means
};

void StoreMessage(char (&to)[256], const char* message)
{
    std::snprintf(to, sizeof to, "%s", message ? message : "unknown error");
}

bool Append(PngSink& sink, const png_bytep data, std::size_t length) noexcept
{
    try {
        sink.bytes.append(reinterpret_cast<const char*>(data), length);
        return true;
    } catch (...) {
        return false;
    }
}

void WriteData(png_structp png, png_bytep data, std::size_t length)
{
    if (!Append(*static_cast<PngSink*>(png_get_io_ptr(png)), data, length))
        png_error(png, "out of memory");
}

void FlushData(png_structp) {}

[[noreturn]] void OnError(png_structp png, png_const_charp message)
{
    StoreMessage(static_cast<PngSink*>(png_get_error_ptr(png))->message, message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp png, png_const_charp message)
{
    StoreMessage(static_cast<PngSink*>(png_get_error_ptr(png))->warning, message);
}

int ColourType(PngColours colours)
{
    switch (colours) {
    case PngColours::Rgba:
        return PNG_COLOR_TYPE_RGB_ALPHA;
    case PngColours::Palette:
        return PNG_COLOR_TYPE_PALETTE;
    case PngColours::Rgb:
        break;
    }
    return PNG_COLOR_TYPE_RGB;
}

enum class PngOutcome { Written, Cancelled, Failed };

// Only plain values live in this frame across the setjmp.
PngOutcome WriteRows(const PngLayout& layout, PngSink& sink, CodecProgress& progress)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, OnError, OnWarning);
    if (!png) {
        StoreMessage(sink.message, "out of memory");
        return PngOutcome::Failed;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        StoreMessage(sink.message, "out of memory");
        return PngOutcome::Failed;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return PngOutcome::Failed;
    }

    const Bitmap& rows = *layout.rows;
    png_set_write_fn(png, &sink, WriteData, FlushData);
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    // Each truecolour row takes whichever filter suits it; palette indices
    // are no samples to predict, so their rows go unfiltered, which deflate
    // packs smaller and several times faster.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, layout.palette.empty() ? PNG_ALL_FILTERS : PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(rows.width()), static_cast<png_uint_32>(rows.height()),
                 layout.bitDepth, ColourType(layout.colours),
                 layout.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    if (!layout.palette.empty()) {
        std::vector<png_color> palette;
        for (const PngPaletteEntry& entry : layout.palette)
            palette.push_back(png_color{entry.red, entry.green, entry.blue});
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    }
    if (!layout.transparency.empty())
        png_set_tRNS(png, info, layout.transparency.data(), static_cast<int>(layout.transparency.size()), nullptr);
    if (!layout.icc.empty())
        png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(layout.icc.data()),
                     static_cast<png_uint_32>(layout.icc.size()));
    // eXIf holds the TIFF structure as it is; the XMP packet goes in the
    // uncompressed iTXt chunk that XMP readers look for. png_write_info puts
    // both before IDAT.
    if (!layout.exif.empty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(layout.exif.size()),
                       reinterpret_cast<png_bytep>(const_cast<char*>(layout.exif.data())));
    png_text xmp{};
    if (!layout.xmp.empty()) {
        xmp.compression = PNG_ITXT_COMPRESSION_NONE;
        xmp.key = const_cast<png_charp>("XML:com.adobe.xmp");
        xmp.text = const_cast<png_charp>(layout.xmp.c_str());
        xmp.itxt_length = layout.xmp.size();
        xmp.lang = const_cast<png_charp>("");
        xmp.lang_key = const_cast<png_charp>("");
        png_set_text(png, info, &xmp, 1);
    }
    png_write_info(png, info);
    if (layout.bitDepth < 8)
        png_set_packing(png);
    if (layout.bgr)
        png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);

    const long long total = static_cast<long long>(passes) * rows.height();
    long long done = 0;
    int shown = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < rows.height(); ++y) {
            if (progress.IsCancelled()) {
                png_destroy_write_struct(&png, &info);
                return PngOutcome::Cancelled;
            }
            png_write_row(png, const_cast<png_bytep>(rows.constScanLine(y)));
            const int percent = static_cast<int>(++done * 100 / total);
            if (percent != shown) {
                shown = percent;
                try {
                    progress.Report(percent);
                } catch (...) {
                    png_destroy_write_struct(&png, &info);
                    throw;
                }
            }
        }
    }
    // Everything was written before IDAT. Given the info, libpng would write
    // the eXIf chunk a second time after it.
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return PngOutcome::Written;
}

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

std::string WritePng(const PngLayout& layout, CodecProgress& progress)
{
    PngSink sink;
    switch (WriteRows(layout, sink, progress)) {
    case PngOutcome::Written:
        break;
    case PngOutcome::Cancelled:
        throw RunCancelled();
    case PngOutcome::Failed: {
        std::string reason = sink.message;
        if (sink.warning[0] != '\0')
            reason += Substitute(" (%1)", sink.warning);
        throw PictaronError(Substitute("The PNG file could not be written: %1.", reason));
    }
    }
    return std::move(sink.bytes);
}

int ReadPngRows(std::string_view bytes, Bitmap& rgba)
{
    Input input{reinterpret_cast<const png_byte*>(bytes.data()), bytes.size()};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    struct Release {
        png_structp& png;
        png_infop& info;
        ~Release() { png_destroy_read_struct(&png, &info, nullptr); }
    } release{png, info};
    if (!info)
        return -1;
    png_set_read_fn(png, &input, ReadInput);
    // A damaged chunk is read for what it holds.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    if (!ReadHeader(png, info))
        return -1;

    const int width = static_cast<int>(png_get_image_width(png, info));
    const int height = static_cast<int>(png_get_image_height(png, info));
    rgba = Bitmap(width, height, Bitmap::Format_RGBA8888);
    if (rgba.isNull())
        ThrowOutOfMemory(width, height);
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[static_cast<size_t>(y)] = rgba.scanLine(y);
    return ReadRows(png, rows.data(), height);
}

} // namespace pictaron

extern "C" {

PICTARON_MODULE_EXPORT void PictaronWritePng(const pictaron::PngLayout* layout, pictaron::CodecProgress* progress,
                                             std::string* bytes)
{
    *bytes = pictaron::WritePng(*layout, *progress);
}

PICTARON_MODULE_EXPORT int PictaronReadPngRows(const std::string_view* bytes, pictaron::Bitmap* rgba)
{
    return pictaron::ReadPngRows(*bytes, *rgba);
}

}
