// The general picture decoder, over the GraphicsMagick library.
//
// Built as a module of its own and loaded on first use: the library drags in
// some seventy shared objects whose start-up costs more than encoding a
// photograph, and most runs (PPM and JPEG input) never need it. Everything
// here reports through the caller's DecodeGuard, whose functions throw from
// the caller's own code.
//
// The library's C interface is used because it says exactly which coder
// reads: a coder named in the file name ("BMP:") with the "affirm" flag set
// is the only one tried, where the C++ wrapper's format setting still lets
// the library guess from the content, PostScript and its interpreter
// included.
#include "formats/magickdecoder.h"

#include "components/plaintext.h"
#include "effects/bitmap.h"
#include "formats/moduleexport.h"
#include "formats/pictureloader.h"
#include "formats/profilecodec.h"

#include <magick/api.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace pictaron {

namespace {

// The most the library may take for one picture: its pixel cache at the
// loader's pixel limit (one PixelPacket, 16 bits for each of four channels,
// per pixel) and room for a coder's own buffers. The pixel cache stays in
// memory: never in a mapped or temporary file, which a header could make
// any size the disk holds.
constexpr magick_int64_t kMemoryLimit =
    PictureLoader::kMaxPixels * static_cast<magick_int64_t>(sizeof(PixelPacket)) + (256LL << 20);

// The library reports through the ExceptionInfo of each call; its handlers,
// which would print to the terminal, stay quiet.
void QuietHandler(const ExceptionType, const char*, const char*) {}

void InitialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        InitializeMagick(nullptr);
        SetWarningHandler(QuietHandler);
        SetErrorHandler(QuietHandler);
        SetMagickResourceLimit(PixelsResource, PictureLoader::kMaxPixels);
        SetMagickResourceLimit(WidthResource, PictureLoader::kMaxPixels);
        SetMagickResourceLimit(HeightResource, PictureLoader::kMaxPixels);
        SetMagickResourceLimit(MemoryResource, kMemoryLimit);
        SetMagickResourceLimit(MapResource, 0);
        SetMagickResourceLimit(DiskResource, 0);
    });
}

struct ImageInfoDeleter {
    void operator()(ImageInfo* info) const { DestroyImageInfo(info); }
};
struct ImageDeleter {
    void operator()(Image* image) const { DestroyImageList(image); }
};
using OwnedImageInfo = std::unique_ptr<ImageInfo, ImageInfoDeleter>;
using OwnedImage = std::unique_ptr<Image, ImageDeleter>;

// The ExceptionInfo of one call, released however the call ends.
class Exception {
public:
    Exception() { GetExceptionInfo(&info_); }
    ~Exception() { DestroyExceptionInfo(&info_); }
    Exception(const Exception&) = delete;
    Exception& operator=(const Exception&) = delete;
    ExceptionInfo* get() { return &info_; }
    ExceptionType severity() const { return info_.severity; }
    // The library's reason without its source-code location or program name.
    std::string Reason() const
    {
        std::string text(Trimmed(info_.reason ? info_.reason : ""));
        if (text.empty())
            return "The picture could not be decoded.";
        if (text[0] >= 'a' && text[0] <= 'z')
            text[0] = static_cast<char>(text[0] - 'a' + 'A');
        return text.ends_with('.') ? text : text + '.';
    }

private:
    ExceptionInfo info_;
};

// Settings that make the named coder the only one the library tries.
OwnedImageInfo InfoFor(const MagickRequest& request, bool ping)
{
    OwnedImageInfo info(CloneImageInfo(nullptr));
    std::snprintf(info->filename, sizeof info->filename, "%s:", request.coder);
    std::snprintf(info->magick, sizeof info->magick, "%s", request.coder);
    info->affirm = MagickTrue;
    info->ping = ping ? MagickTrue : MagickFalse;
    // A Photo CD holds six resolutions; the fourth is the 768 × 512 base
    // image. Anything else: the first frame of an animation, the first page
    // of a TIFF.
    info->subimage = std::strcmp(request.coder, "PCD") == 0 ? 3 : 0;
    info->subrange = 1;
    return info;
}

// 16-bit samples flattened onto white, in 8 bits.
std::uint8_t OverWhite(unsigned sample, unsigned alpha)
{
    const unsigned long long flat = (static_cast<unsigned long long>(sample) * alpha
                                     + 65535ULL * (65535U - alpha) + 32767) / 65535;
    return static_cast<std::uint8_t>((flat + 128) / 257);
}

// The pixels, flattened onto white when they carry alpha; the alpha itself
// then goes into its plane, which stays null when every pixel is opaque.
void CopyPixels(Image* image, bool flatten, Bitmap& bitmap, Bitmap& alpha, const DecodeGuard& guard)
{
    const int width = bitmap.width();
    std::vector<std::uint16_t> row(flatten ? 4 * static_cast<std::size_t>(width) : 0);
    Bitmap plane;
    if (flatten) {
        plane = Bitmap(width, bitmap.height(), Bitmap::Format_Grayscale8);
        if (plane.isNull())
            guard.Fail("There is not enough memory for this picture.");
    }
    bool opaque = true;
    for (int y = 0; y < bitmap.height(); ++y) {
        Exception exception;
        std::uint8_t* out = bitmap.scanLine(y);
        const MagickPassFail done = flatten
            ? DispatchImage(image, 0, y, width, 1, "BGRA", ShortPixel, row.data(), exception.get())
            : DispatchImage(image, 0, y, width, 1, "BGR", CharPixel, out, exception.get());
        if (done != MagickPass)
            guard.Fail(exception.Reason());
        if (flatten) {
            std::uint8_t* alphaOut = plane.scanLine(y);
            for (int x = 0; x < width; ++x) {
                const std::uint16_t* p = &row[4 * static_cast<std::size_t>(x)];
                out[3 * x] = OverWhite(p[0], p[3]);
                out[3 * x + 1] = OverWhite(p[1], p[3]);
                out[3 * x + 2] = OverWhite(p[2], p[3]);
                alphaOut[x] = static_cast<std::uint8_t>((p[3] + 128U) / 257U);
                opaque = opaque && alphaOut[x] == 255;
            }
        }
    }
    if (!opaque)
        alpha = std::move(plane);
}

// A profile the coder kept under one of the names, as bytes; empty when none.
std::string Profile(const Image* image, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        size_t length = 0;
        const unsigned char* data = GetImageProfile(image, name, &length);
        if (data && length > 0)
            return std::string(reinterpret_cast<const char*>(data), std::min<size_t>(length, INT_MAX));
    }
    return std::string();
}

// The value of a text attribute the coder set; empty when it set none.
std::string Attribute(const Image* image, const char* key)
{
    const ImageAttribute* attribute = GetImageAttribute(image, key);
    if (!attribute || !attribute->value)
        return std::string();
    return std::string(attribute->value, strnlen(attribute->value, 1 << 16));
}

void ReadTags(const Image* image, bool tiff, RawTags& tags)
{
    tags.icc = Profile(image, {"ICM", "ICC"});
    tags.exif = Profile(image, {"EXIF"});
    if (tags.exif.starts_with(std::string_view("Exif\0\0", 6)))
        tags.exif.erase(0, 6);
    tags.xmp = Profile(image, {"XMP"});
    const int orientation = static_cast<int>(image->orientation);
    tags.containerOrientation = orientation >= 1 && orientation <= 8 ? orientation : 0;
    // The TIFF coder keeps its baseline Artist and Copyright tags as text
    // attributes (other coders' like-named texts are not such tags).
    if (tiff) {
        tags.containerArtist = Attribute(image, "artist");
        tags.containerCopyright = Attribute(image, "copyright");
    }
}

// CMYK pixels through their own profile into sRGB.
void CopyCmykPixels(Image* image, const CmykConverter& converter, Bitmap& bitmap, const DecodeGuard& guard)
{
    const int width = bitmap.width();
    std::vector<unsigned char> row(4 * static_cast<std::size_t>(width));
    for (int y = 0; y < bitmap.height(); ++y) {
        Exception exception;
        if (DispatchImage(image, 0, y, width, 1, "CMYK", CharPixel, row.data(), exception.get()) != MagickPass)
            guard.Fail(exception.Reason());
        converter.ConvertRow(row.data(), bitmap.scanLine(y), width);
    }
}

} // namespace

} // namespace pictaron

extern "C" PICTARON_MODULE_EXPORT void PictaronDecodeWithMagick(const std::string_view* bytes,
                                                                const pictaron::MagickRequest* request,
                                                                const pictaron::DecodeGuard* decodeGuard,
                                                                pictaron::Bitmap* picture, pictaron::RawTags* tags)
{
    using namespace pictaron;
    const DecodeGuard& guard = *decodeGuard;
    InitialiseLibrary();
    const void* data = bytes->data();
    const size_t length = bytes->size();

    // The declared size first, without decoding pixels.
    {
        Exception exception;
        const OwnedImage probe(PingBlob(InfoFor(*request, true).get(), data, length, exception.get()));
        if (!probe || exception.severity() >= ErrorException)
            guard.Fail(exception.Reason());
        const auto clamped = [](unsigned long extent) { return static_cast<int>(std::min<unsigned long>(extent, INT_MAX)); };
        guard.CheckSize(Size(clamped(probe->columns), clamped(probe->rows)));
    }

    Exception exception;
    OwnedImage image(BlobToImage(InfoFor(*request, false).get(), data, length, exception.get()));
    if (!image || image->columns == 0 || image->rows == 0 || exception.severity() >= ErrorException)
        guard.Fail(exception.Reason());
    guard.CheckSize(Size(static_cast<int>(std::min<unsigned long>(image->columns, INT_MAX)),
                         static_cast<int>(std::min<unsigned long>(image->rows, INT_MAX))));
    // A damaged or cut file the coder still read, in part.
    if (exception.severity() == CorruptImageWarning)
        guard.WarnPartlyRead();

    ReadTags(image.get(), std::strcmp(request->coder, "TIFF") == 0, *tags);
    if (image->colorspace == CMYKColorspace && request->convertCmyk && !tags->icc.empty()
        && tags->icc.size() <= kMaxProfileBytes) {
        const CmykConverter converter(tags->icc);
        if (converter.IsReady()) {
            Bitmap bitmap(static_cast<int>(image->columns), static_cast<int>(image->rows), Bitmap::Format_BGR888);
            if (bitmap.isNull())
                guard.Fail("There is not enough memory for this picture.");
            CopyCmykPixels(image.get(), converter, bitmap, guard);
            tags->cmykConverted = true;
            *picture = std::move(bitmap);
            return;
        }
    }
    if (image->colorspace != RGBColorspace && TransformColorspace(image.get(), RGBColorspace) != MagickPass)
        guard.Fail("The picture's colours could not be turned into RGB.");
    Bitmap bitmap(static_cast<int>(image->columns), static_cast<int>(image->rows), Bitmap::Format_BGR888);
    if (bitmap.isNull())
        guard.Fail("There is not enough memory for this picture.");
    CopyPixels(image.get(), image->matte && request->pixelsCanHoldAlpha, bitmap, tags->alpha, guard);
    *picture = std::move(bitmap);
}
