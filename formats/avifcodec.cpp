#include "formats/avifcodec.h"

#include "components/errors.h"
#include "components/plaintext.h"
#include "formats/moduleexport.h"

#include <avif/avif.h>

#include <memory>

namespace pictaron {

namespace {

struct ImageFree {
    void operator()(avifImage* image) const { avifImageDestroy(image); }
};
struct EncoderFree {
    void operator()(avifEncoder* encoder) const { avifEncoderDestroy(encoder); }
};
struct DecoderFree {
    void operator()(avifDecoder* decoder) const { avifDecoderDestroy(decoder); }
};
using ImagePtr = std::unique_ptr<avifImage, ImageFree>;
using EncoderPtr = std::unique_ptr<avifEncoder, EncoderFree>;
using DecoderPtr = std::unique_ptr<avifDecoder, DecoderFree>;

// The encoded bytes, freed however the step ends.
struct EncodedBytes {
    avifRWData data = AVIF_DATA_EMPTY;
    EncodedBytes() = default;
    ~EncodedBytes() { avifRWDataFree(&data); }
    EncodedBytes(const EncodedBytes&) = delete;
    EncodedBytes& operator=(const EncodedBytes&) = delete;
};

std::string Reason(avifResult result, const avifDiagnostics* diagnostics = nullptr)
{
    std::string reason = avifResultToString(result);
    if (diagnostics && diagnostics->error[0] != '\0')
        reason += Substitute(" (%1)", diagnostics->error);
    return reason;
}

[[noreturn]] void Fail(const std::string& reason)
{
    throw PictaronError(Substitute("The AVIF file could not be written: %1.", reason));
}

[[noreturn]] void FailToRead(const std::string& reason)
{
    throw PictaronError(Substitute("The AVIF file just written cannot be read: %1.", reason));
}

// The picture as 8-bit YUV (or, lossless, as RGB itself) with its alpha.
ImagePtr ToAvifImage(const Bitmap& bitmap, const Bitmap& rgba, const AvifEncoding& encoding)
{
    const bool yuv444 = encoding.lossless || encoding.yuv444;
    ImagePtr image(avifImageCreate(static_cast<uint32_t>(bitmap.width()), static_cast<uint32_t>(bitmap.height()), 8,
                                   yuv444 ? AVIF_PIXEL_FORMAT_YUV444 : AVIF_PIXEL_FORMAT_YUV420));
    if (!image)
        Fail(Reason(AVIF_RESULT_OUT_OF_MEMORY));
    image->yuvRange = AVIF_RANGE_FULL;
    image->colorPrimaries = AVIF_COLOR_PRIMARIES_BT709;
    image->transferCharacteristics = AVIF_TRANSFER_CHARACTERISTICS_SRGB;
    image->matrixCoefficients =
        encoding.lossless ? AVIF_MATRIX_COEFFICIENTS_IDENTITY : AVIF_MATRIX_COEFFICIENTS_BT601;

    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image.get());
    rgb.depth = 8;
    const Bitmap& source = rgba.isNull() ? bitmap : rgba;
    rgb.format = rgba.isNull() ? AVIF_RGB_FORMAT_BGR : AVIF_RGB_FORMAT_RGBA;
    // Only read.
    rgb.pixels = const_cast<uint8_t*>(source.constBits());
    rgb.rowBytes = static_cast<uint32_t>(source.bytesPerLine());
    const avifResult converted = avifImageRGBToYUV(image.get(), &rgb);
    if (converted != AVIF_RESULT_OK)
        Fail(Reason(converted));
    return image;
}

std::string Encode(const avifImage& image, const AvifEncoding& encoding)
{
    EncoderPtr encoder(avifEncoderCreate());
    if (!encoder)
        Fail(Reason(AVIF_RESULT_OUT_OF_MEMORY));
    encoder->maxThreads = 1;
    encoder->speed = encoding.speed;
    const int quantizer = encoding.lossless ? AVIF_QUANTIZER_LOSSLESS : encoding.quantizer;
    encoder->minQuantizer = quantizer;
    encoder->maxQuantizer = quantizer;
    encoder->minQuantizerAlpha = quantizer;
    encoder->maxQuantizerAlpha = quantizer;

    EncodedBytes output;
    const avifResult written = avifEncoderWrite(encoder.get(), &image, &output.data);
    if (written != AVIF_RESULT_OK)
        Fail(Reason(written, &encoder->diag));
    return std::string(reinterpret_cast<const char*>(output.data.data), output.data.size);
}

} // namespace

Bitmap DecodeAvif(std::string_view bytes, int threads)
{
    DecoderPtr decoder(avifDecoderCreate());
    ImagePtr image(avifImageCreateEmpty());
    if (!decoder || !image)
        FailToRead(Reason(AVIF_RESULT_OUT_OF_MEMORY));
    decoder->maxThreads = threads;
    const avifResult read = avifDecoderReadMemory(decoder.get(), image.get(),
                                                  reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (read != AVIF_RESULT_OK)
        FailToRead(Reason(read, &decoder->diag));

    const int width = static_cast<int>(image->width);
    const int height = static_cast<int>(image->height);
    const bool transparent = image->alphaPlane != nullptr;
    Bitmap decoded(width, height, transparent ? Bitmap::Format_RGBA8888 : Bitmap::Format_BGR888);
    if (decoded.isNull())
        ThrowOutOfMemory(width, height);
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, image.get());
    rgb.depth = 8;
    rgb.format = transparent ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_BGR;
    rgb.pixels = decoded.bits();
    rgb.rowBytes = static_cast<uint32_t>(decoded.bytesPerLine());
    const avifResult converted = avifImageYUVToRGB(image.get(), &rgb);
    if (converted != AVIF_RESULT_OK)
        FailToRead(Reason(converted));
    return decoded;
}

std::string EncodeAvif(const Bitmap& bitmap, const Bitmap& rgba, const AvifEncoding& encoding)
{
    const ImagePtr image = ToAvifImage(bitmap, rgba, encoding);
    const auto bytes = [](const std::string& block) { return reinterpret_cast<const uint8_t*>(block.data()); };
    if (!encoding.icc.empty())
        avifImageSetProfileICC(image.get(), bytes(encoding.icc), encoding.icc.size());
    // libavif finds the TIFF header in the block itself and stores its offset
    // before it, as the Exif item needs. It also reads the Orientation, which
    // is 1 in a kept block, so no transform is signalled.
    if (!encoding.exif.empty())
        avifImageSetMetadataExif(image.get(), bytes(encoding.exif), encoding.exif.size());
    if (!encoding.xmp.empty())
        avifImageSetMetadataXMP(image.get(), bytes(encoding.xmp), encoding.xmp.size());
    return Encode(*image, encoding);
}

} // namespace pictaron

extern "C" {

PICTARON_MODULE_EXPORT void PictaronEncodeAvif(const pictaron::Bitmap* bitmap, const pictaron::Bitmap* rgba,
                                               const pictaron::AvifEncoding* encoding, std::string* bytes)
{
    *bytes = pictaron::EncodeAvif(*bitmap, *rgba, *encoding);
}

PICTARON_MODULE_EXPORT void PictaronDecodeAvif(const std::string_view* bytes, int threads, pictaron::Bitmap* decoded)
{
    *decoded = pictaron::DecodeAvif(*bytes, threads);
}

}
