#include "formats/gifresult.h"

#include "components/busy.h"
#include "palette/mapping.h"
#include "palette/nearestcolour.h"
#include "palette/octree.h"
#include "palette/palettefile.h"

#include <algorithm>

namespace pictaron {

namespace {

// Leaves the bar captionless and empty however the passes end.
class ProgressReset {
public:
    explicit ProgressReset(RunProgress& progress) : progress_(progress) {}
    ~ProgressReset()
    {
        progress_.SetStatus({});
        progress_.ReportProgress({}, 0, 100);
    }

private:
    RunProgress& progress_;
};

// One mapping or dithering pass over the whole picture into indexed.
void ReducePicture(const Bitmap& bitmap, const Palette& palette, bool dither, const std::string& ditherStatus,
                   const std::string& mapStatus, Bitmap& indexed, RunContext& context)
{
    context.progress.ReportProgress({}, 0, bitmap.height());
    if (dither) {
        context.progress.SetStatus(ditherStatus);
        DitherToPalette(bitmap, palette, indexed, context.progress, context.cancel);
    } else {
        context.progress.SetStatus(mapStatus);
        MapToPalette(bitmap, palette, indexed, context.progress, context.cancel);
    }
}

// Each optimised colour becomes its nearest colour of the chosen palette.
Palette SnapToPalette(const Palette& optimised, const Palette& chosen, RunProgress& progress)
{
    progress.ReportProgress("Reducing palette colors", 0, 255);
    Palette snapped = optimised;
    for (std::size_t i = 0; i < snapped.size(); ++i) {
        PaletteEntry& entry = snapped[i];
        const PaletteEntry& nearest =
            chosen[static_cast<std::size_t>(NearestPaletteIndex(chosen, entry.red, entry.green, entry.blue))];
        entry.red = nearest.red;
        entry.green = nearest.green;
        entry.blue = nearest.blue;
        if (i % 5 == 0)
            progress.ReportProgress({}, static_cast<int>(i), -1);
    }
    // The bar runs on to the end of the 256 slots.
    for (int i = static_cast<int>(snapped.size()); i <= 255; ++i)
        progress.ReportProgress({}, i, -1);
    return snapped;
}

} // namespace

IndexedPicture ReduceToPalette(const Bitmap& working, const ConversionSettings& settings, RunContext& context)
{
    IndexedPicture reduced;
    ProgressReset reset(context.progress);
    BusyScope busy;
    Bitmap bitmap = working;

    std::optional<Palette> chosen;
    if (settings.palette != kOptimizedPalette) {
        chosen = settings.palette == kWebsafePalette ? WebSafePalette() : LoadPaletteFile(settings.palette);
        ReducePicture(bitmap, *chosen, settings.dither, "Dithering to palette", "Mapping to palette",
                      reduced.picture, context);
        bitmap = ExpandIndexedPicture(reduced.picture);
    }

    context.progress.SetStatus("Quantizing");
    reduced.palette = OptimisedPalette(bitmap, std::clamp(settings.maxColours, 1, kMaxPaletteEntries));
    if (chosen)
        reduced.palette = SnapToPalette(reduced.palette, *chosen, context.progress);

    ReducePicture(bitmap, reduced.palette, settings.dither, "Dithering to final palette",
                  "Mapping to final palette", reduced.picture, context);
    return reduced;
}

EncodedResult ConvertForGif(const Bitmap& working, const ConversionSettings& settings, RunContext& context)
{
    const IndexedPicture reduced = ReduceToPalette(working, settings, context);

    // Built after the passes' guarded end: an error here ("Color table
    // overflow") fails the run like any other step.
    EncodedResult result;
    result.bytes = SharedBytes(EncodeGif(reduced.picture, settings.transparentColour));
    result.size = static_cast<std::int64_t>(result.bytes.size());
    result.dimensions = reduced.picture.size();
    result.picture = reduced.picture;
    result.colours = static_cast<int>(reduced.palette.size());
    return result;
}

std::unique_ptr<TGIFImage> BuildGifImage(const Bitmap& picture, std::optional<TColor> transparentColour)
{
    auto image = std::make_unique<TGIFImage>();
    image->Assign(picture);
    if (transparentColour) {
        TGIFGraphicControlExtension& control = image->images.front()->AddGraphicControlExtension();
        control.SetTransparent(true);
        control.SetTransparentColor(*transparentColour);
    }
    image->Pack();
    return image;
}

std::string EncodeGif(const Bitmap& picture, std::optional<TColor> transparentColour)
{
    return BuildGifImage(picture, transparentColour)->SaveToBytes();
}

} // namespace pictaron
