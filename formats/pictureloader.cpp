#include "formats/pictureloader.h"

#include "components/errors.h"
#include "components/regularfile.h"
#include "effects/pixels.h"
#include "formats/avifsource.h"
#include "formats/directdecode.h"
#include "formats/magickdecoder.h"
#include "formats/pictureformat.h"
#include "formats/pngrescue.h"

#include <memory>

namespace pictaron {

namespace {

// Every refusal names the file.
class LoadError : public DecodeGuard {
public:
    explicit LoadError(std::string path) : path_(std::move(path)) {}
    [[noreturn]] void Throw(const std::string& reason) const
    {
        throw PictaronError(Substitute("Cannot open %1.  %2", path_, reason));
    }
    [[noreturn]] void Fail(const std::string& reason) const override { Throw(reason); }
    void CheckSize(Size size) const override { CheckSize(size.width(), size.height()); }
    void CheckSize(std::int64_t width, std::int64_t height) const
    {
        if (width <= 0 || height <= 0)
            Throw("The picture has no pixels.");
        if (width > PictureLoader::kMaxPixels / height)  // no product: a header may declare 2^32 - 1 by 2^32 - 1
            Throw(Substitute("The picture is %1 by %2 pixels; Pictaron opens pictures of up to %3 megapixels.", width,
                             height, PictureLoader::kMaxPixels / 1'000'000));
    }

    void WarnPartlyRead() const noexcept override { partlyRead_ = true; }
    // A tag the loader gave up: the reason, as "its colour profile is damaged".
    void WarnTagIgnored(const std::string& reason) const { ignoredTags_.push_back(reason); }
    // The warnings of the decoders, one line each, naming the file.
    void Report(Texts* warnings) const
    {
        if (warnings && partlyRead_)
            warnings->push_back(
                Substitute("%1 is damaged or cut short; the picture holds only what could be read.", path_));
        if (warnings)
            for (const std::string& reason : ignoredTags_)
                warnings->push_back(Substitute("%1: %2, so it is ignored and the picture taken as sRGB.", path_, reason));
    }

private:
    std::string path_;
    mutable bool partlyRead_ = false;
    mutable Texts ignoredTags_;
};

Bitmap DecodePixels(std::string_view bytes, std::string_view name, const LoadError& error, bool convertCmyk,
                    const JpegShrink& shrink, RawTags& raw)
{
    const FormatVerdict verdict = DetectPictureFormat(bytes, name);
    if (!verdict.known)
        error.Throw(verdict.refusal);
    if (const auto size = DeclaredSize(verdict.format, bytes))
        error.CheckSize(size->first, size->second);
    if (verdict.format == PictureFormat::Pnm)
        if (std::optional<Bitmap> picture = DecodePpm(bytes, error))
            return *picture;
    if (verdict.format == PictureFormat::Jpeg)
        if (std::optional<Bitmap> picture = DecodeJpeg(bytes, error, &raw, shrink))
            return *picture;
    raw = RawTags{};
    if (verdict.format == PictureFormat::Avif)
        return DecodeAvifSource(bytes, error, raw);
    // The picture library reads neither a PNG's eXIf chunk nor the XMP of a
    // PNG or WebP; what it does read of them comes first, as ever.
    ChunkTags chunks;
    if (verdict.format == PictureFormat::Png)
        chunks = PngChunkTags(bytes);
    else if (verdict.format == PictureFormat::Webp)
        chunks = WebpChunkTags(bytes);
    const MagickRequest request{LibraryCoder(verdict.format), PixelsCanHoldAlpha(verdict.format, bytes), convertCmyk};
    Bitmap picture;
    try {
        picture = DecodeWithMagick(bytes, request, error, &raw);
    } catch (const PictaronError&) {
        // The library gives up on a PNG cut short; its first rows may be whole.
        std::optional<RescuedPng> rescued;
        if (verdict.format == PictureFormat::Png)
            rescued = RescueCutPng(bytes);
        if (!rescued)
            throw;
        if (!rescued->whole)
            error.WarnPartlyRead();
        raw.alpha = std::move(rescued->alpha);
        picture = std::move(rescued->picture);
    }
    if (raw.exif.empty())
        raw.exif = chunks.exif;
    if (raw.xmp.empty())
        raw.xmp = chunks.xmp;
    return picture;
}

std::string TooLarge(std::int64_t bytes)
{
    return Substitute("It is %1; no picture Pictaron opens takes more than %2 MB.", DescribeFileSize(bytes),
                      PictureLoader::kMaxBytes / 1'000'000);
}

} // namespace

Bitmap PictureLoader::Decode(std::string_view bytes, std::string_view name, const DecodeGuard& guard,
                             Bitmap* alpha) const
{
    const auto& error = static_cast<const LoadError&>(guard);
    RawTags raw;
    // CMYK pixels go through their profile whatever the options: a JPEG or GIF
    // result holds RGB, which a CMYK profile cannot describe.
    const JpegShrink shrink{options_.jpegMinimumWidth, options_.applyOrientation};
    Bitmap picture = DecodePixels(bytes, name, error, true, shrink, raw);
    if (!raw.icc.empty() || !raw.exif.empty() || !raw.xmp.empty() || raw.containerOrientation > 1
        || !raw.containerArtist.empty() || !raw.containerCopyright.empty() || raw.iccDamaged
        || raw.storedSize.isValid()) {
        Texts ignored;
        picture = FinishPicture(std::move(picture), raw, options_, ignored);
        for (const std::string& reason : ignored)
            error.WarnTagIgnored(reason);
    }
    if (alpha)
        *alpha = std::move(raw.alpha);
    return picture;
}

Bitmap PictureLoader::Load(const std::string& path, Texts* warnings, Bitmap* alpha) const
{
    return Read(path, false, warnings, alpha);
}

Bitmap PictureLoader::LoadForRun(const std::string& path, Texts* warnings, Bitmap* alpha) const
{
    return Read(path, true, warnings, alpha);
}

Bitmap PictureLoader::Read(const std::string& path, bool forRun, Texts* warnings, Bitmap* alpha) const
{
    if (alpha)
        *alpha = Bitmap();
    const LoadError error(path);
    // Neither a pipe nor a device is opened, nor a file larger than a picture.
    auto file = std::make_unique<RegularFile>(path);
    if (file->IsMissing())
        throw PictaronError(path + " does not exist.");
    if (!file->IsOpen())
        error.Throw(file->Problem());
    if (file->Size() > kMaxBytes)
        error.Throw(TooLarge(file->Size()));
    // For a run the file is mapped and read in place, without a copy. A mapped
    // file shortened under the reader raises SIGBUS, which the command line
    // turns into an error; the window reads a copy, which nothing can pull
    // away from under it.
    std::string read;
    const std::string_view mapped = forRun ? file->Map() : std::string_view();
    if (mapped.empty()) {
        read = file->Read(kMaxBytes, true);
        if (!file->Problem().empty())
            error.Throw(file->Problem());
    }
    const std::string_view bytes = mapped.empty() ? std::string_view(read) : mapped;
    if (bytes.empty())
        error.Throw("The file is empty.");

    if (!mapped.empty()) {
        if (const std::optional<PpmPixels> ppm = FindPpmPixels(bytes, error)) {
            // The picture owns the file, which unmaps it when it closes.
            const Size size = ppm->size;
            std::shared_ptr<RegularFile> owner(std::move(file));
            return Bitmap::WrapReadOnly(reinterpret_cast<const std::uint8_t*>(mapped.data() + ppm->offset),
                                        size.width(), size.height(), 3 * size.width(), Bitmap::Format_RGB888,
                                        [owner] {});
        }
    }
    Bitmap picture = Decode(bytes, path, error, alpha);
    error.Report(warnings);
    return picture;
}

Bitmap PictureLoader::LoadFromMemory(std::string_view bytes, const std::string& name, Texts* warnings,
                                     Bitmap* alpha) const
{
    if (alpha)
        *alpha = Bitmap();
    const LoadError error(name);
    if (bytes.empty())
        error.Throw("There is no picture in it.");
    if (static_cast<std::int64_t>(bytes.size()) > kMaxBytes)
        error.Throw(Substitute("It holds more than %1 MB, more than any picture Pictaron opens.", kMaxBytes / 1'000'000));
    Bitmap picture = Decode(bytes, name, error, alpha);
    error.Report(warnings);
    return picture;
}

} // namespace pictaron
