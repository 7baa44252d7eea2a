#include "formats/webpcodec.h"

#include "components/errors.h"

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
    CodecProgress& progress;
    std::thread::id runThread = std::this_thread::get_id();
    int shown = -1;
    bool failed = false;
};

int ProgressHook(int percent, const WebPPicture* picture)
{
    auto& state = *static_cast<HookState*>(picture->user_data);
    if (state.failed || state.progress.IsCancelled())
        return 0;
    if (percent != state.shown && std::this_thread::get_id() == state.runThread) {
        state.shown = percent;
        try {
            state.progress.Report(percent);
        } catch (...) {
            state.failed = true;
            return 0;
        }
    }
    return state.progress.IsCancelled() ? 0 : 1;
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

} // namespace

QByteArray EncodeWebp(const Bitmap& bitmap, const Bitmap& rgba, const WebpEncoding& encoding,
                      CodecProgress& progress)
{
    if (bitmap.width() > WEBP_MAX_DIMENSION || bitmap.height() > WEBP_MAX_DIMENSION)
        Fail(EncodeErrorText(VP8_ENC_ERROR_BAD_DIMENSION));
    WebPConfig config;
    if (!WebPConfigInit(&config))
        Fail(QStringLiteral("the encoder library does not match"));
    config.lossless = encoding.lossless ? 1 : 0;
    config.quality = encoding.quality;
    config.method = encoding.method;
    config.exact = encoding.lossless ? 1 : 0;
    config.thread_level = encoding.threads ? 1 : 0;
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
    HookState state{progress};
    picture.progress_hook = ProgressHook;
    picture.user_data = &state;

    const bool encoded = WebPEncode(&config, &picture);
    if (progress.IsCancelled())
        throw RunCancelled();
    if (!encoded)
        Fail(EncodeErrorText(picture.error_code));
    return QByteArray(reinterpret_cast<const char*>(memory.writer.mem), static_cast<qsizetype>(memory.writer.size));
}

QByteArray WithWebpChunks(const QByteArray& bytes, const WebpChunks& chunks)
{
    if (chunks.icc.isEmpty() && chunks.exif.isEmpty() && chunks.xmp.isEmpty())
        return bytes;
    const std::pair<const char*, const QByteArray*> named[] = {
        {"ICCP", &chunks.icc}, {"EXIF", &chunks.exif}, {"XMP ", &chunks.xmp}};
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

Bitmap DecodeWebp(const QByteArray& bytes, bool transparent)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const auto size = static_cast<std::size_t>(bytes.size());
    int width = 0;
    int height = 0;
    if (!WebPGetInfo(data, size, &width, &height))
        throw PictaronError(QStringLiteral("The WebP file just written cannot be read."));
    Bitmap decoded(width, height, transparent ? Bitmap::Format_RGBA8888 : Bitmap::Format_BGR888);
    if (decoded.isNull())
        ThrowOutOfMemory(width, height);
    const auto bufferSize = static_cast<std::size_t>(decoded.sizeInBytes());
    const int stride = static_cast<int>(decoded.bytesPerLine());
    const uint8_t* done = transparent ? WebPDecodeRGBAInto(data, size, decoded.bits(), bufferSize, stride)
                                      : WebPDecodeBGRInto(data, size, decoded.bits(), bufferSize, stride);
    if (!done)
        throw PictaronError(QStringLiteral("The WebP file just written cannot be read."));
    return decoded;
}

} // namespace pictaron

extern "C" {

Q_DECL_EXPORT void PictaronEncodeWebp(const pictaron::Bitmap* bitmap, const pictaron::Bitmap* rgba,
                                      const pictaron::WebpEncoding* encoding, pictaron::CodecProgress* progress,
                                      QByteArray* bytes)
{
    *bytes = pictaron::EncodeWebp(*bitmap, *rgba, *encoding, *progress);
}

Q_DECL_EXPORT void PictaronAddWebpChunks(const QByteArray* bytes, const pictaron::WebpChunks* chunks,
                                         QByteArray* withChunks)
{
    *withChunks = pictaron::WithWebpChunks(*bytes, *chunks);
}

Q_DECL_EXPORT void PictaronDecodeWebp(const QByteArray* bytes, bool transparent, pictaron::Bitmap* decoded)
{
    *decoded = pictaron::DecodeWebp(*bytes, transparent);
}

}
