#include "formats/jpegresult.h"

#include "app/report.h"
#include "components/atomicfile.h"
#include "components/busy.h"
#include "components/pathutils.h"
#include "formats/colourprofile.h"
#include "formats/jpegimage.h"
#include "formats/metadatawrite.h"
#include "formats/stepprogress.h"

#include <jpeglib.h>

namespace pictaron {

EncodedResult EncodeJpegResult(const Bitmap& working, const ConversionSettings& settings, RunContext& context,
                               const SourceTags& source)
{
    BusyScope busy;
    StepProgressReset reset(context.progress);
    const std::string saving = "Saving";
    context.progress.SetStatus(saving);
    context.progress.ReportProgress({}, 0, 100);

    TJPEGImage jpeg;
    jpeg.SetGrayscale(settings.greyscale);
    jpeg.Assign(working);
    jpeg.SetQuality(ClampJpegQuality(settings.jpegQuality));
    jpeg.SetProgressiveEncoding(settings.progressive);
    jpeg.SetProgressHandler([&](int percent) { context.progress.ReportProgress(saving, percent, -1); });
    jpeg.SetCancelFlag(&context.cancel);
    // A block too large for one segment is left out (the list is not shown).
    Texts leftOut;
    std::vector<std::pair<int, std::string>> markers;
    const KeptMetadata kept = MetadataToKeep(source, settings.keepMetadata, working.size());
    const KeptMetadata segments{ExifSegment(kept.exif, leftOut), XmpSegment(kept.xmp, leftOut)};
    for (const std::string& segment : {segments.exif, segments.xmp})
        if (!segment.empty())
            markers.emplace_back(JPEG_APP0 + 1, segment);
    jpeg.SetMarkers(std::move(markers));
    jpeg.SetIccProfile(ProfileToEmbed(settings, source, settings.greyscale));
    jpeg.Compress();

    EncodedResult result;
    result.dimensions = Size(jpeg.Width(), jpeg.Height());
    result.description = DescribePicture(jpeg.Width(), jpeg.Height());
    result.bytes = jpeg.Data().bytes;
    result.metadata = segments.Names();
    result.size = static_cast<std::int64_t>(result.bytes.size());
    if (context.workFile.empty()) {
        context.progress.SetStatus({});
        if (context.ShowsResult()) {
            TJPEGImage shown;
            shown.LoadFromBytes(result.bytes);
            result.picture = shown.Decode();
        }
        return result;
    }

    WriteFileAtomically(context.workFile, result.bytes.view());
    context.progress.SetStatus({});
    // The size reported is what landed on disk, and the picture shown is the
    // file as a browser would decode it.
    result.size = FileSize(context.workFile);
    TJPEGImage shown;
    shown.LoadFromFile(context.workFile);
    result.picture = shown.Decode();
    return result;
}

} // namespace pictaron
