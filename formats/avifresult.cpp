#include "formats/avifresult.h"

#include "app/report.h"
#include "components/busy.h"
#include "components/errors.h"
#include "effects/pixels.h"
#include "effects/workerthreads.h"
#include "formats/alphaplane.h"
#include "formats/avifcodec.h"
#include "formats/avifmodule.h"
#include "formats/metadatawrite.h"
#include "formats/stepprogress.h"

namespace pictaron {

namespace {

constexpr char kWhat[] = "The AVIF encoder";

} // namespace

int AvifQuantizer(int quality)
{
    return ((100 - ClampAvifQuality(quality)) * 63 + 50) / 100;
}

EncodedResult EncodeAvifResult(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                               RunContext& context, const SourceTags& source)
{
    const Bitmap bitmap = ToWorkingBitmap(working);
    const Bitmap plane = TransparencyToWrite(bitmap, alpha);

    EncodedResult result;
    {
        BusyScope busy;
        StepProgressReset reset(context.progress);
        context.progress.SetStatus("Saving");
        context.progress.ReportProgress({}, 0, 100);
        context.cancel.ThrowIfCancelled();
        const auto encode = AvifModule().Required<PictaronEncodeAvifFn>(kEncodeAvif, kWhat);
        const Bitmap rgba = plane.isNull() ? Bitmap() : InterleaveAlpha(bitmap, plane);
        AvifEncoding encoding;
        encoding.quantizer = AvifQuantizer(settings.avifQuality);
        encoding.speed = ClampAvifSpeed(settings.avifSpeed);
        encoding.yuv444 = settings.avifChroma == AvifChroma::Yuv444;
        encoding.lossless = settings.avifLossless;
        encoding.icc = ProfileToEmbed(settings, source, false);
        const KeptMetadata kept = MetadataToKeep(source, settings.keepMetadata, bitmap.size());
        encoding.exif = kept.exif;
        encoding.xmp = kept.xmp;
        result.metadata = kept.Names();
        context.cancel.ThrowIfCancelled();
        std::string bytes;
        encode(&bitmap, &rgba, &encoding, &bytes);
        result.bytes = SharedBytes(std::move(bytes));
        context.cancel.ThrowIfCancelled();
        context.progress.ReportProgress({}, 100, -1);
    }
    result.size = static_cast<std::int64_t>(result.bytes.size());
    result.dimensions = bitmap.size();
    result.description = DescribePicture(bitmap.size());
    if (settings.avifLossless)
        result.picture = ShownOnWhite(bitmap, plane);
    else if (context.ShowsResult()) {
        // The file as a browser decodes it, on white.
        Bitmap decoded;
        const std::string_view bytes = result.bytes.view();
        AvifModule().Required<PictaronDecodeAvifFn>(kDecodeAvif, kWhat)(&bytes, WorkerThreadCount(), &decoded);
        result.picture = decoded.format() == Bitmap::Format_RGBA8888 ? RgbaShownOnWhite(decoded) : decoded;
    }
    return result;
}

} // namespace pictaron
