#include "formats/avifcodec.h"

#include "components/errors.h"
#include "components/plaintext.h"
#include "formats/moduleexport.h"

#include <avif/avif.h>

#include <algorithm>
#include <climits>
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

// The decoded picture as 8-bit BGR, or RGBA when it has an alpha plane.
avifResult ToBitmap(const avifImage& image, Bitmap& decoded)
{
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    const bool transparent = image.alphaPlane != nullptr;
    decoded = Bitmap(width, height, transparent ? Bitmap::Format_RGBA8888 : Bitmap::Format_BGR888);
    if (decoded.isNull())
        ThrowOutOfMemory(width, height);
    avifRGBImage rgb;
    avifRGBImageSetDefaults(&rgb, &image);
    rgb.depth = 8;
    rgb.format = transparent ? AVIF_RGB_FORMAT_RGBA : AVIF_RGB_FORMAT_BGR;
    rgb.pixels = decoded.bits();
    rgb.rowBytes = static_cast<uint32_t>(decoded.bytesPerLine());
    return avifImageYUVToRGB(&image, &rgb);
}

// The TIFF structure of an Exif item, however it begins: at the TIFF header
// itself, after "Exif\0\0", or after the item's four-byte offset to the
// header. Empty when no TIFF header is where any of them says.
std::string TiffStructure(const std::string& item)
{
    const auto tiffAt = [&](std::size_t at) {
        return item.size() >= at + 4 && (item.compare(at, 4, "II*\0", 4) == 0 || item.compare(at, 4, "MM\0*", 4) == 0);
    };
    if (tiffAt(0))
        return item;
    if (item.compare(0, 6, std::string_view("Exif\0\0", 6)) == 0 && tiffAt(6))
        return item.substr(6);
    if (item.size() >= 4) {
        const std::size_t offset = std::size_t{static_cast<unsigned char>(item[0])} << 24
            | std::size_t{static_cast<unsigned char>(item[1])} << 16
            | std::size_t{static_cast<unsigned char>(item[2])} << 8 | static_cast<unsigned char>(item[3]);
        if (offset <= item.size() && tiffAt(4 + offset))
            return item.substr(4 + offset);
    }
    return {};
}

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
    Bitmap decoded;
    const avifResult converted = ToBitmap(*image, decoded);
    if (converted != AVIF_RESULT_OK)
        FailToRead(Reason(converted));
    return decoded;
}

AvifSource ReadAvifSource(std::string_view bytes, std::int64_t maxPixels, const DecodeGuard& guard)
{
    DecoderPtr decoder(avifDecoderCreate());
    if (!decoder)
        guard.Fail(Reason(AVIF_RESULT_OUT_OF_MEMORY));
    decoder->maxThreads = 1;
    decoder->imageSizeLimit = static_cast<uint32_t>(std::min<std::int64_t>(maxPixels, AVIF_DEFAULT_IMAGE_SIZE_LIMIT));
    const auto fail = [&](avifResult result) { guard.Fail(Reason(result, &decoder->diag)); };
    if (const avifResult set = avifDecoderSetIOMemory(decoder.get(), reinterpret_cast<const uint8_t*>(bytes.data()),
                                                      bytes.size());
        set != AVIF_RESULT_OK)
        fail(set);
    if (const avifResult parsed = avifDecoderParse(decoder.get()); parsed != AVIF_RESULT_OK)
        fail(parsed);
    const avifImage& image = *decoder->image;
    guard.CheckSize({static_cast<int>(std::min<uint32_t>(image.width, INT32_MAX)),
                     static_cast<int>(std::min<uint32_t>(image.height, INT32_MAX))});
    if (const avifResult decoded = avifDecoderNextImage(decoder.get()); decoded != AVIF_RESULT_OK)
        fail(decoded);

    AvifSource source;
    if (const avifResult converted = ToBitmap(image, source.pixels); converted != AVIF_RESULT_OK)
        fail(converted);
    const auto text = [](const avifRWData& data) {
        return std::string(reinterpret_cast<const char*>(data.data), data.size);
    };
    source.icc = text(image.icc);
    source.exif = TiffStructure(text(image.exif));
    source.xmp = text(image.xmp);
    if (image.transformFlags & AVIF_TRANSFORM_IROT)
        source.quarterTurns = image.irot.angle & 3;
    if (image.transformFlags & AVIF_TRANSFORM_IMIR)
        source.mirror = image.imir.mode & 1;
    return source;
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

PICTARON_MODULE_EXPORT void PictaronReadAvifSource(const std::string_view* bytes, std::int64_t maxPixels,
                                                   const pictaron::DecodeGuard* guard, pictaron::AvifSource* source)
{
    *source = pictaron::ReadAvifSource(*bytes, maxPixels, *guard);
}

PICTARON_MODULE_EXPORT void PictaronDecodeAvif(const std::string_view* bytes, int threads, pictaron::Bitmap* decoded)
{
    *decoded = pictaron::DecodeAvif(*bytes, threads);
}

}
