#include "formats/webpresult.h"

#include "app/report.h"
#include "components/busy.h"
#include "components/moduleloader.h"
#include "effects/pixels.h"
#include "effects/workerthreads.h"
#include "formats/alphaplane.h"
#include "formats/metadatawrite.h"
#include "formats/stepprogress.h"
#include "formats/webpcodec.h"

namespace pictaron {

namespace {

const LazyModule module({PICTARON_WEBP_MODULE_NAME, PICTARON_WEBP_MODULE_INSTALLED, PICTARON_WEBP_MODULE_BUILT},
                        {"PictaronEncodeWebp", "PictaronAddWebpChunks", "PictaronDecodeWebp"});

constexpr char kWhat[] = "The WebP encoder";

} // namespace

EncodedResult EncodeWebpResult(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                               RunContext& context, const SourceTags& source)
{
    const Bitmap bitmap = ToWorkingBitmap(working);
    const Bitmap plane = TransparencyToWrite(bitmap, alpha);

    EncodedResult result;
    {
        BusyScope busy;
        StepProgressReset reset(context.progress);
        const std::string saving = "Saving";
        context.progress.SetStatus(saving);
        context.progress.ReportProgress({}, 0, 100);
        context.cancel.ThrowIfCancelled();
        const auto encode = module.Required<PictaronEncodeWebpFn>(0, kWhat);
        WebpEncoding encoding;
        encoding.lossless = settings.webpLossless;
        encoding.quality = static_cast<float>(ClampWebpQuality(settings.webpQuality));
        encoding.method = ClampWebpEffort(settings.webpEffort);
        encoding.threads = WorkerThreadCount() > 1;
        const Bitmap rgba = plane.isNull() ? Bitmap() : InterleaveAlpha(bitmap, plane);
        StepCodecProgress progress(context.progress, context.cancel, saving);
        std::string plain;
        encode(&bitmap, &rgba, &encoding, &progress, &plain);
        const KeptMetadata kept = MetadataToKeep(source, settings.keepMetadata, bitmap.size());
        const WebpChunks chunks{ProfileToEmbed(settings, source, false), kept.exif, kept.xmp};
        const std::string_view plainView(plain);
        std::string bytes;
        module.Required<PictaronAddWebpChunksFn>(1, kWhat)(&plainView, &chunks, &bytes);
        result.bytes = SharedBytes(std::move(bytes));
        result.metadata = kept.Names();
    }
    result.size = static_cast<std::int64_t>(result.bytes.size());
    result.dimensions = bitmap.size();
    result.description = DescribePicture(bitmap.size());
    if (settings.webpLossless) {
        result.picture = ShownOnWhite(bitmap, plane);
    } else if (context.ShowsResult()) {
        // The file as a browser decodes it, on white.
        const bool transparent = !plane.isNull();
        Bitmap decoded;
        const std::string_view bytes = result.bytes.view();
        module.Required<PictaronDecodeWebpFn>(2, kWhat)(&bytes, transparent, &decoded);
        result.picture = transparent ? RgbaShownOnWhite(decoded) : decoded;
    }
    return result;
}

} // namespace pictaron
