#include "formats/pngresult.h"

#include "app/report.h"
#include "components/busy.h"
#include "components/moduleloader.h"
#include "effects/pixels.h"
#include "formats/alphaplane.h"
#include "formats/gifresult.h"
#include "formats/metadatawrite.h"
#include "formats/pngcodec.h"
#include "formats/stepprogress.h"

#include <array>
#include <vector>

namespace pictaron {

namespace {

const LazyModule module({PICTARON_PNG_MODULE_NAME, PICTARON_PNG_MODULE_INSTALLED, PICTARON_PNG_MODULE_BUILT},
                        {"PictaronWritePng"});

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
    std::vector<PngPaletteEntry> palette;
    bool transparentFirst = false;
};

CompactPicture Compact(const IndexedPicture& reduced, const std::optional<TColor>& transparentColour)
{
    const Bitmap& source = reduced.picture;
    const int entries = static_cast<int>(reduced.palette.size());
    std::array<bool, 256> used{};
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* row = source.constScanLine(y);
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
    std::array<std::uint8_t, 256> newIndex{};
    const auto keep = [&](int i) {
        const PaletteEntry& entry = reduced.palette[static_cast<std::size_t>(i)];
        newIndex[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(compact.palette.size());
        compact.palette.push_back(PngPaletteEntry{entry.red, entry.green, entry.blue});
    };
    if (transparent >= 0) {
        keep(transparent);
        compact.transparentFirst = true;
    }
    for (int i = 0; i < entries; ++i)
        if (used[static_cast<std::size_t>(i)] && i != transparent)
            keep(i);

    compact.picture = Bitmap(source.width(), source.height(), Bitmap::Format_Indexed8);
    if (compact.picture.isNull())
        ThrowOutOfMemory(source.width(), source.height());
    std::vector<Argb> table;
    for (const PngPaletteEntry& colour : compact.palette)
        table.push_back(PackRgb(colour.red, colour.green, colour.blue));
    compact.picture.setColorTable(table);
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        std::uint8_t* out = compact.picture.scanLine(y);
        for (int x = 0; x < source.width(); ++x)
            out[x] = newIndex[in[x]];
    }
    return compact;
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
        layout.colours = PngColours::Palette;
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
            layout.colours = PngColours::Rgba;
            result.picture = ShownOnWhite(bitmap, plane);
        } else {
            rows = bitmap;
            layout.bgr = true;
            result.picture = bitmap;
        }
    }
    layout.rows = &rows;
    layout.icc = ProfileToEmbed(settings, source, false);
    const KeptMetadata kept = MetadataToKeep(source, settings.keepMetadata, rows.size());
    layout.exif = kept.exif;
    layout.xmp = kept.xmp;

    {
        BusyScope busy;
        StepProgressReset reset(context.progress);
        const std::string saving = "Saving";
        context.progress.SetStatus(saving);
        context.progress.ReportProgress({}, 0, 100);
        context.cancel.ThrowIfCancelled();
        const auto write = module.Required<PictaronWritePngFn>(0, "The PNG encoder");
        StepCodecProgress progress(context.progress, context.cancel, saving);
        std::string bytes;
        write(&layout, &progress, &bytes);
        result.bytes = SharedBytes(std::move(bytes));
    }
    result.size = static_cast<std::int64_t>(result.bytes.size());
    result.metadata = kept.Names();
    result.dimensions = rows.size();
    result.description = DescribePicture(rows.size());
    return result;
}

} // namespace pictaron
