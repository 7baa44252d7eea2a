#include "formats/webpresult.h"

#include "app/report.h"
#include "components/busy.h"
#include "components/errors.h"
#include "effects/pixels.h"
#include "effects/workerthreads.h"
#include "formats/alphaplane.h"
#include "formats/metadatawrite.h"
#include "formats/stepprogress.h"

#include <webp/decode.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>
#include <thread>
#include <utility>

namespace pictaron {

namespace {

// What the encoder's progress hook needs. The hook is called from the
// encoder's own threads as well; only calls on the run's thread move the bar,
// every call tests the cancel flag.
struct HookState {
    RunContext& context;
    QString status;
    std::thread::id runThread = std::this_thread::get_id();
    int shown = -1;
    bool failed = false;
};

int ProgressHook(int percent, const WebPPicture* picture)
{
    auto& state = *static_cast<HookState*>(picture->user_data);
    if (state.failed || state.context.cancel.IsCancelled())
        return 0;
    if (percent != state.shown && std::this_thread::get_id() == state.runThread) {
        state.shown = percent;
        try {
            state.context.progress.ReportProgress(state.status, percent, -1);
        } catch (...) {
            state.failed = true;
            return 0;
        }
    }
    return state.context.cancel.IsCancelled() ? 0 : 1;
}

QString EncodeErrorText(WebPEncodingError error)
{
    switch (error) {
    case VP8_ENC_OK:
        break;
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
        return QStringLiteral("there is not enough memory");
    case VP8_ENC_ERROR_NULL_PARAMETER:
        return QStringLiteral("a parameter is missing");
    case VP8_ENC_ERROR_INVALID_CONFIGURATION:
        return QStringLiteral("the settings are not valid");
    case VP8_ENC_ERROR_BAD_DIMENSION:
        return QStringLiteral("a WebP picture can be at most %1 by %1 pixels").arg(WEBP_MAX_DIMENSION);
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
        return QStringLiteral("the picture's first partition is larger than 512 KiB; "
                              "a lower quality makes it smaller");
    case VP8_ENC_ERROR_PARTITION_OVERFLOW:
        return QStringLiteral("a partition is larger than 16 MiB");
    case VP8_ENC_ERROR_BAD_WRITE:
        return QStringLiteral("the encoded bytes could not be kept");
    case VP8_ENC_ERROR_FILE_TOO_BIG:
        return QStringLiteral("the file would be larger than 4 GiB");
    case VP8_ENC_ERROR_USER_ABORT:
        return QStringLiteral("it was stopped");
    case VP8_ENC_ERROR_LAST:
        break;
    }
    return QStringLiteral("error %1").arg(static_cast<int>(error));
}

[[noreturn]] void Fail(const QString& reason)
{
    throw PictaronError(QStringLiteral("The WebP file could not be written: %1.").arg(reason));
}

// Frees what the encoder holds however the step ends.
struct EncoderMemory {
    WebPPicture picture;
    WebPMemoryWriter writer;
    EncoderMemory()
    {
        WebPPictureInit(&picture);
        WebPMemoryWriterInit(&writer);
    }
    ~EncoderMemory()
    {
        WebPPictureFree(&picture);
        WebPMemoryWriterClear(&writer);
    }
    EncoderMemory(const EncoderMemory&) = delete;
    EncoderMemory& operator=(const EncoderMemory&) = delete;
};

QByteArray Encode(const Bitmap& bitmap, const Bitmap& rgba, const ConversionSettings& settings, RunContext& context,
                  const QString& status)
{
    if (bitmap.width() > WEBP_MAX_DIMENSION || bitmap.height() > WEBP_MAX_DIMENSION)
        Fail(EncodeErrorText(VP8_ENC_ERROR_BAD_DIMENSION));
    WebPConfig config;
    if (!WebPConfigInit(&config))
        Fail(QStringLiteral("the encoder library does not match"));
    config.lossless = settings.webpLossless ? 1 : 0;
    config.quality = static_cast<float>(ClampWebpQuality(settings.webpQuality));
    config.method = ClampWebpEffort(settings.webpEffort);
    config.exact = settings.webpLossless ? 1 : 0;
    config.thread_level = WorkerThreadCount() > 1 ? 1 : 0;
    if (!WebPValidateConfig(&config))
        Fail(EncodeErrorText(VP8_ENC_ERROR_INVALID_CONFIGURATION));

    EncoderMemory memory;
    WebPPicture& picture = memory.picture;
    picture.use_argb = config.lossless;
    picture.width = bitmap.width();
    picture.height = bitmap.height();
    const bool imported = rgba.isNull()
        ? WebPPictureImportBGR(&picture, bitmap.constBits(), static_cast<int>(bitmap.bytesPerLine()))
        : WebPPictureImportRGBA(&picture, rgba.constBits(), static_cast<int>(rgba.bytesPerLine()));
    if (!imported)
        Fail(EncodeErrorText(picture.error_code == VP8_ENC_OK ? VP8_ENC_ERROR_OUT_OF_MEMORY : picture.error_code));
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &memory.writer;
    HookState state{context, status};
    picture.progress_hook = ProgressHook;
    picture.user_data = &state;

    const bool encoded = WebPEncode(&config, &picture);
    context.cancel.ThrowIfCancelled();
    if (!encoded)
        Fail(EncodeErrorText(picture.error_code));
    return QByteArray(reinterpret_cast<const char*>(memory.writer.mem), static_cast<qsizetype>(memory.writer.size));
}

// The chunks of the extended kind of WebP, each written when not empty: the
// colour profile (ICCP) and the metadata (EXIF, the TIFF structure; XMP).
struct ExtraChunks {
    QByteArray icc;
    KeptMetadata metadata;
};

// The file with the chunks added by the muxer, which makes it the extended
// kind of WebP with their flags set; the bytes as they are when there are
// none.
QByteArray WithChunks(const QByteArray& bytes, const ExtraChunks& chunks)
{
    if (chunks.icc.isEmpty() && chunks.metadata.IsEmpty())
        return bytes;
    const std::pair<const char*, const QByteArray*> named[] = {
        {"ICCP", &chunks.icc}, {"EXIF", &chunks.metadata.exif}, {"XMP ", &chunks.metadata.xmp}};
    const std::unique_ptr<WebPMux, decltype(&WebPMuxDelete)> mux(WebPMuxNew(), WebPMuxDelete);
    if (!mux)
        throw PictaronError(QStringLiteral("There is not enough memory to write the WebP file."));
    const WebPData image{reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())};
    bool done = WebPMuxSetImage(mux.get(), &image, 0) == WEBP_MUX_OK;
    for (const auto& [fourcc, payload] : named) {
        if (!payload->isEmpty()) {
            const WebPData data{reinterpret_cast<const uint8_t*>(payload->constData()),
                                static_cast<size_t>(payload->size())};
            done = done && WebPMuxSetChunk(mux.get(), fourcc, &data, 0) == WEBP_MUX_OK;
        }
    }
    WebPData assembled;
    WebPDataInit(&assembled);
    if (!done || WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) {
        WebPDataClear(&assembled);
        throw PictaronError(QStringLiteral("The colour profile or metadata could not be put into the WebP file."));
    }
    QByteArray out(reinterpret_cast<const char*>(assembled.bytes), static_cast<qsizetype>(assembled.size));
    WebPDataClear(&assembled);
    return out;
}

// The file as a browser decodes it, on white.
Bitmap DecodeAgain(const QByteArray& bytes, bool transparent)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const auto size = static_cast<std::size_t>(bytes.size());
    int width = 0;
    int height = 0;
    if (!WebPGetInfo(data, size, &width, &height))
        throw PictaronError(QStringLiteral("The WebP file just written cannot be read."));
    Bitmap decoded = transparent ? Bitmap(width, height, Bitmap::Format_RGBA8888) : NewWorkingBitmap(width, height);
    if (decoded.isNull())
        ThrowOutOfMemory(width, height);
    const auto bufferSize = static_cast<std::size_t>(decoded.sizeInBytes());
    const int stride = static_cast<int>(decoded.bytesPerLine());
    const uint8_t* done = transparent ? WebPDecodeRGBAInto(data, size, decoded.bits(), bufferSize, stride)
                                      : WebPDecodeBGRInto(data, size, decoded.bits(), bufferSize, stride);
    if (!done)
        throw PictaronError(QStringLiteral("The WebP file just written cannot be read."));
    return transparent ? RgbaShownOnWhite(decoded) : decoded;
}

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
        const QString saving = QStringLiteral("Saving");
        context.progress.SetStatus(saving);
        context.progress.ReportProgress(QString(), 0, 100);
        context.cancel.ThrowIfCancelled();
        result.bytes = Encode(bitmap, plane.isNull() ? Bitmap() : InterleaveAlpha(bitmap, plane), settings,
                              context, saving);
        const ExtraChunks chunks{ProfileToEmbed(settings, source, false),
                                 MetadataToKeep(source, settings.keepMetadata, bitmap.size())};
        result.bytes = WithChunks(result.bytes, chunks);
        result.metadata = chunks.metadata.Names();
    }
    result.size = result.bytes.size();
    result.dimensions = bitmap.size();
    result.description = DescribePicture(bitmap.size());
    if (settings.webpLossless)
        result.picture = ShownOnWhite(bitmap, plane);
    else if (context.ShowsResult())
        result.picture = DecodeAgain(result.bytes, !plane.isNull());
    return result;
}

} // namespace pictaron
