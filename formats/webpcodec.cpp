#include "formats/webpcodec.h"

#include "components/errors.h"
#include "components/plaintext.h"
#include "formats/moduleexport.h"

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

std::string EncodeErrorText(WebPEncodingError error)
{
    switch (error) {
    case VP8_ENC_OK:
        break;
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
        return "there is not enough memory";
    case VP8_ENC_ERROR_NULL_PARAMETER:
        return "a parameter is missing";
    case VP8_ENC_ERROR_INVALID_CONFIGURATION:
        return "the settings are not valid";
    case VP8_ENC_ERROR_BAD_DIMENSION:
        return Substitute("a WebP picture can be at most %1 by %1 pixels", WEBP_MAX_DIMENSION);
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
        return "the picture's first partition is larger than 512 KiB; "
                              "a lower quality makes it smaller";
    case VP8_ENC_ERROR_PARTITION_OVERFLOW:
        return "a partition is larger than 16 MiB";
    case VP8_ENC_ERROR_BAD_WRITE:
        return "the encoded bytes could not be kept";
    case VP8_ENC_ERROR_FILE_TOO_BIG:
        return "the file would be larger than 4 GiB";
    case VP8_ENC_ERROR_USER_ABORT:
        return "it was stopped";
    case VP8_ENC_ERROR_LAST:
        break;
    }
    return Substitute("error %1", static_cast<int>(error));
}

[[noreturn]] void Fail(const std::string& reason)
{
    throw PictaronError(Substitute("The WebP file could not be written: %1.", reason));
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

std::string EncodeWebp(const Bitmap& bitmap, const Bitmap& rgba, const WebpEncoding& encoding,
                      CodecProgress& progress)
{
    if (bitmap.width() > WEBP_MAX_DIMENSION || bitmap.height() > WEBP_MAX_DIMENSION)
        Fail(EncodeErrorText(VP8_ENC_ERROR_BAD_DIMENSION));
    WebPConfig config;
    if (!WebPConfigInit(&config))
        Fail("the encoder library does not match");
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
    return std::string(reinterpret_cast<const char*>(memory.writer.mem), memory.writer.size);
}

std::string WithWebpChunks(std::string_view bytes, const WebpChunks& chunks)
{
    if (chunks.icc.empty() && chunks.exif.empty() && chunks.xmp.empty())
        return std::string(bytes);
    const std::pair<const char*, const std::string*> named[] = {
        {"ICCP", &chunks.icc}, {"EXIF", &chunks.exif}, {"XMP ", &chunks.xmp}};
    const std::unique_ptr<WebPMux, decltype(&WebPMuxDelete)> mux(WebPMuxNew(), WebPMuxDelete);
    if (!mux)
        throw PictaronError(std::string("There is not enough memory to write the WebP file."));
    const WebPData image{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    bool done = WebPMuxSetImage(mux.get(), &image, 0) == WEBP_MUX_OK;
    for (const auto& [fourcc, payload] : named) {
        if (!payload->empty()) {
            const WebPData data{reinterpret_cast<const uint8_t*>(payload->data()), payload->size()};
            done = done && WebPMuxSetChunk(mux.get(), fourcc, &data, 0) == WEBP_MUX_OK;
        }
    }
    WebPData assembled;
    WebPDataInit(&assembled);
    if (!done || WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK) {
        WebPDataClear(&assembled);
        throw PictaronError(std::string("The colour profile or metadata could not be put into the WebP file."));
    }
    std::string out(reinterpret_cast<const char*>(assembled.bytes), assembled.size);
    WebPDataClear(&assembled);
    return out;
}

Bitmap DecodeWebp(std::string_view bytes, bool transparent)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    int width = 0;
    int height = 0;
    if (!WebPGetInfo(data, size, &width, &height))
        throw PictaronError(std::string("The WebP file just written cannot be read."));
    Bitmap decoded(width, height, transparent ? Bitmap::Format_RGBA8888 : Bitmap::Format_BGR888);
    if (decoded.isNull())
        ThrowOutOfMemory(width, height);
    const auto bufferSize = static_cast<std::size_t>(decoded.sizeInBytes());
    const int stride = static_cast<int>(decoded.bytesPerLine());
    const uint8_t* done = transparent ? WebPDecodeRGBAInto(data, size, decoded.bits(), bufferSize, stride)
                                      : WebPDecodeBGRInto(data, size, decoded.bits(), bufferSize, stride);
    if (!done)
        throw PictaronError(std::string("The WebP file just written cannot be read."));
    return decoded;
}

} // namespace pictaron

extern "C" {

PICTARON_MODULE_EXPORT void PictaronEncodeWebp(const pictaron::Bitmap* bitmap, const pictaron::Bitmap* rgba,
                                               const pictaron::WebpEncoding* encoding,
                                               pictaron::CodecProgress* progress, std::string* bytes)
{
    *bytes = pictaron::EncodeWebp(*bitmap, *rgba, *encoding, *progress);
}

PICTARON_MODULE_EXPORT void PictaronAddWebpChunks(const std::string_view* bytes, const pictaron::WebpChunks* chunks,
                                                  std::string* withChunks)
{
    *withChunks = pictaron::WithWebpChunks(*bytes, *chunks);
}

PICTARON_MODULE_EXPORT void PictaronDecodeWebp(const std::string_view* bytes, bool transparent,
                                               pictaron::Bitmap* decoded)
{
    *decoded = pictaron::DecodeWebp(*bytes, transparent);
}

}
