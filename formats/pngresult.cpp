#include "formats/pngresult.h"

#include "app/report.h"
#include "components/busy.h"
#include "components/errors.h"
#include "effects/pixels.h"
#include "formats/alphaplane.h"
#include "formats/gifresult.h"
#include "formats/metadatawrite.h"
#include "formats/stepprogress.h"

#include <png.h>

#include <array>
#include <cstdio>
#include <vector>

namespace pictaron {

namespace {

// What goes into the file: the header's layout and the rows, one scan line
// of `rows` each (BGR with bgr set, else in the file's own order, one byte a
// pixel for a palette).
struct PngLayout {
    const Bitmap* rows = nullptr;
    int colourType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool bgr = false;
    bool interlace = false;
    std::vector<png_color> palette;
    std::vector<png_byte> transparency;
    QByteArray icc;  // the colour profile to embed, or empty
    KeptMetadata metadata;
};

// Where libpng's output and its last error go. Nothing here throws across
// libpng: the write callback catches, and errors leave by png_longjmp.
struct PngSink {
    QByteArray bytes;
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
        sink.bytes.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
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

enum class PngOutcome { Written, Cancelled, Failed };

// The whole file, row by row: the cancel flag is tested and the bar moved
// between rows (every row once per Adam7 pass when interlaced), never inside
// libpng. Only plain values live in this frame across the setjmp.
PngOutcome WritePng(const PngLayout& layout, PngSink& sink, RunContext& context, const QString& status)
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
                 layout.bitDepth, layout.colourType, layout.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (!layout.palette.empty())
        png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    if (!layout.transparency.empty())
        png_set_tRNS(png, info, layout.transparency.data(), static_cast<int>(layout.transparency.size()), nullptr);
    if (!layout.icc.isEmpty())
        png_set_iCCP(png, info, "ICC profile", PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(layout.icc.constData()),
                     static_cast<png_uint_32>(layout.icc.size()));
    // eXIf holds the TIFF structure as it is; the XMP packet goes in the
    // uncompressed iTXt chunk that XMP readers look for. png_write_info puts
    // both before IDAT.
    const QByteArray& exif = layout.metadata.exif;
    if (!exif.isEmpty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()),
                       reinterpret_cast<png_bytep>(const_cast<char*>(exif.constData())));
    png_text xmp{};
    if (!layout.metadata.xmp.isEmpty()) {
        xmp.compression = PNG_ITXT_COMPRESSION_NONE;
        xmp.key = const_cast<png_charp>("XML:com.adobe.xmp");
        xmp.text = const_cast<png_charp>(layout.metadata.xmp.constData());
        xmp.itxt_length = static_cast<std::size_t>(layout.metadata.xmp.size());
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
            if (context.cancel.IsCancelled()) {
                png_destroy_write_struct(&png, &info);
                return PngOutcome::Cancelled;
            }
            png_write_row(png, const_cast<png_bytep>(rows.constScanLine(y)));
            const int percent = static_cast<int>(++done * 100 / total);
            if (percent != shown) {
                shown = percent;
                try {
                    context.progress.ReportProgress(status, percent, -1);
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

// The smallest PNG bit depth that holds indices below count.
int PaletteBitDepth(int count)
{
    if (count <= 2)
        return 1;
    if (count <= 4)
        return 2;
    if (count <= 16)
        return 4;
    return 8;
}

// The GIF's indexed picture with only the palette entries its pixels use,
// the transparent one first.
struct CompactPicture {
    Bitmap picture;
    std::vector<png_color> palette;
    bool transparentFirst = false;
};

CompactPicture Compact(const IndexedPicture& reduced, const std::optional<TColor>& transparentColour)
{
    const Bitmap& source = reduced.picture;
    const int entries = static_cast<int>(reduced.palette.size());
    std::array<bool, 256> used{};
    for (int y = 0; y < source.height(); ++y) {
        const uchar* row = source.constScanLine(y);
        for (int x = 0; x < source.width(); ++x)
            used[row[x]] = true;
    }
    // The entry the GIF marks: the last one holding the colour.
    int transparent = -1;
    if (transparentColour) {
        const RGBTriple colour = ColorToTriple(*transparentColour);
        for (int i = entries - 1; i >= 0; --i) {
            const PaletteEntry& entry = reduced.palette[static_cast<std::size_t>(i)];
            if (entry.red == colour.red && entry.green == colour.green && entry.blue == colour.blue) {
                transparent = i;
                break;
            }
        }
        if (transparent >= 0 && !used[static_cast<std::size_t>(transparent)])
            transparent = -1;
    }

    CompactPicture compact;
    std::array<uchar, 256> newIndex{};
    const auto keep = [&](int i) {
        const PaletteEntry& entry = reduced.palette[static_cast<std::size_t>(i)];
        newIndex[static_cast<std::size_t>(i)] = static_cast<uchar>(compact.palette.size());
        compact.palette.push_back(png_color{entry.red, entry.green, entry.blue});
    };
    if (transparent >= 0) {
        keep(transparent);
        compact.transparentFirst = true;
    }
    for (int i = 0; i < entries; ++i)
        if (used[static_cast<std::size_t>(i)] && i != transparent)
            keep(i);

    compact.picture = Bitmap(source.size(), Bitmap::Format_Indexed8);
    if (compact.picture.isNull())
        ThrowOutOfMemory(source.width(), source.height());
    std::vector<Argb> table;
    for (const png_color& colour : compact.palette)
        table.push_back(PackRgb(colour.red, colour.green, colour.blue));
    compact.picture.setColorTable(table);
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        uchar* out = compact.picture.scanLine(y);
        for (int x = 0; x < source.width(); ++x)
            out[x] = newIndex[in[x]];
    }
    return compact;
}

QByteArray Write(const PngLayout& layout, RunContext& context, const QString& status)
{
    PngSink sink;
    switch (WritePng(layout, sink, context, status)) {
    case PngOutcome::Written:
        break;
    case PngOutcome::Cancelled:
        throw RunCancelled();
    case PngOutcome::Failed: {
        QString reason = QString::fromUtf8(sink.message);
        if (sink.warning[0] != '\0')
            reason += QStringLiteral(" (%1)").arg(QString::fromUtf8(sink.warning));
        throw PictaronError(QStringLiteral("The PNG file could not be written: %1.").arg(reason));
    }
    }
    return std::move(sink.bytes);
}

} // namespace

EncodedResult EncodePngResult(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                              RunContext& context, const SourceTags& source)
{
    const Bitmap bitmap = ToWorkingBitmap(working);
    EncodedResult result;
    PngLayout layout;
    layout.interlace = settings.interlace;
    Bitmap rows;
    if (settings.pngIndexed) {
        const IndexedPicture reduced = ReduceToPalette(bitmap, settings, context);
        CompactPicture compact = Compact(reduced, settings.transparentColour);
        layout.colourType = PNG_COLOR_TYPE_PALETTE;
        layout.bitDepth = PaletteBitDepth(static_cast<int>(compact.palette.size()));
        layout.palette = compact.palette;
        if (compact.transparentFirst)
            layout.transparency = {0};
        rows = compact.picture;
        result.picture = compact.picture;
        result.colours = static_cast<int>(compact.palette.size());
    } else {
        const Bitmap plane = TransparencyToWrite(bitmap, alpha);
        if (!plane.isNull()) {
            rows = InterleaveAlpha(bitmap, plane);
            layout.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
            result.picture = ShownOnWhite(bitmap, plane);
        } else {
            rows = bitmap;
            layout.bgr = true;
            result.picture = bitmap;
        }
    }
    layout.rows = &rows;
    layout.icc = ProfileToEmbed(settings, source, false);
    layout.metadata = MetadataToKeep(source, settings.keepMetadata, rows.size());

    {
        BusyScope busy;
        StepProgressReset reset(context.progress);
        const QString saving = QStringLiteral("Saving");
        context.progress.SetStatus(saving);
        context.progress.ReportProgress(QString(), 0, 100);
        context.cancel.ThrowIfCancelled();
        result.bytes = Write(layout, context, saving);
    }
    result.size = result.bytes.size();
    result.metadata = layout.metadata.Names();
    result.dimensions = rows.size();
    result.description = DescribePicture(rows.size());
    return result;
}

} // namespace pictaron
