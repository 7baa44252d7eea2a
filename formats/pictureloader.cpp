#include "formats/pictureloader.h"

#include "components/errors.h"
#include "components/regularfile.h"
#include "effects/pixels.h"
#include "formats/directdecode.h"
#include "formats/magickdecoder.h"
#include "formats/pictureformat.h"
#include "formats/pngrescue.h"

#include <QDir>

#include <memory>

namespace pictaron {

namespace {

// Every refusal names the file.
class LoadError : public DecodeGuard {
public:
    explicit LoadError(const QString& path) : path_(QDir::toNativeSeparators(path)) {}
    [[noreturn]] void Throw(const QString& reason) const
    {
        throw PictaronError(QStringLiteral("Cannot open %1.  %2").arg(path_, reason));
    }
    [[noreturn]] void Fail(const QString& reason) const override { Throw(reason); }
    void CheckSize(QSize size) const override { CheckSize(size.width(), size.height()); }
    void CheckSize(qint64 width, qint64 height) const
    {
        if (width <= 0 || height <= 0)
            Throw(QStringLiteral("The picture has no pixels."));
        if (width > PictureLoader::kMaxPixels / height)  // no product: a header may declare 2^32 - 1 by 2^32 - 1
            Throw(QStringLiteral("The picture is %1 by %2 pixels; Pictaron opens pictures of up to %3 megapixels.")
                      .arg(width).arg(height).arg(PictureLoader::kMaxPixels / 1'000'000));
    }

    void WarnPartlyRead() const noexcept override { partlyRead_ = true; }
    // A tag the loader gave up: the reason, as "its colour profile is damaged".
    void WarnTagIgnored(const QString& reason) const { ignoredTags_ << reason; }
    // The warnings of the decoders, one line each, naming the file.
    void Report(QStringList* warnings) const
    {
        if (warnings && partlyRead_)
            *warnings << QStringLiteral("%1 is damaged or cut short; the picture holds only what could be read.")
                             .arg(path_);
        if (warnings)
            for (const QString& reason : ignoredTags_)
                *warnings << QStringLiteral("%1: %2, so it is ignored and the picture taken as sRGB.")
                                 .arg(path_, reason);
    }

private:
    QString path_;
    mutable bool partlyRead_ = false;
    mutable QStringList ignoredTags_;
};

Bitmap DecodePixels(const QByteArray& bytes, const QString& name, const LoadError& error, bool convertCmyk,
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
    if (raw.exif.isEmpty())
        raw.exif = chunks.exif;
    if (raw.xmp.isEmpty())
        raw.xmp = chunks.xmp;
    return picture;
}

QString TooLarge(qint64 bytes)
{
    return QStringLiteral("It is %1; no picture Pictaron opens takes more than %2 MB.")
        .arg(DescribeFileSize(bytes)).arg(PictureLoader::kMaxBytes / 1'000'000);
}

} // namespace

Bitmap PictureLoader::Decode(const QByteArray& bytes, const QString& name, const DecodeGuard& guard,
                             Bitmap* alpha) const
{
    const auto& error = static_cast<const LoadError&>(guard);
    RawTags raw;
    // CMYK pixels go through their profile whatever the options: a JPEG or GIF
    // result holds RGB, which a CMYK profile cannot describe.
    const JpegShrink shrink{options_.jpegMinimumWidth, options_.applyOrientation};
    Bitmap picture = DecodePixels(bytes, name, error, true, shrink, raw);
    if (!raw.icc.isEmpty() || !raw.exif.isEmpty() || !raw.xmp.isEmpty() || raw.containerOrientation > 1
        || !raw.containerArtist.isEmpty() || !raw.containerCopyright.isEmpty() || raw.iccDamaged
        || raw.storedSize.isValid()) {
        QStringList ignored;
        picture = FinishPicture(std::move(picture), raw, options_, ignored);
        for (const QString& reason : ignored)
            error.WarnTagIgnored(reason);
    }
    if (alpha)
        *alpha = std::move(raw.alpha);
    return picture;
}

Bitmap PictureLoader::Load(const QString& path, QStringList* warnings, Bitmap* alpha) const
{
    return Read(path, false, warnings, alpha);
}

Bitmap PictureLoader::LoadForRun(const QString& path, QStringList* warnings, Bitmap* alpha) const
{
    return Read(path, true, warnings, alpha);
}

Bitmap PictureLoader::Read(const QString& path, bool forRun, QStringList* warnings, Bitmap* alpha) const
{
    if (alpha)
        *alpha = Bitmap();
    const LoadError error(path);
    // Neither a pipe nor a device is opened, nor a file larger than a picture.
    auto file = std::make_unique<RegularFile>(path);
    if (file->IsMissing())
        throw PictaronError(QDir::toNativeSeparators(path) + QStringLiteral(" does not exist."));
    if (!file->IsOpen())
        error.Throw(file->Problem());
    if (file->Size() > kMaxBytes)
        error.Throw(TooLarge(file->Size()));
    // For a run the file is mapped and read in place, without a copy. A mapped
    // file shortened under the reader raises SIGBUS, which the command line
    // turns into an error; the window reads a copy, which nothing can pull
    // away from under it.
    QByteArray bytes;
    const uchar* mapped = forRun ? file->Map() : nullptr;
    if (mapped) {
        bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), static_cast<qsizetype>(file->Size()));
    } else {
        bytes = file->Read(kMaxBytes, true);
        if (!file->Problem().isEmpty())
            error.Throw(file->Problem());
    }
    if (bytes.isEmpty())
        error.Throw(QStringLiteral("The file is empty."));

    if (mapped) {
        if (const std::optional<PpmPixels> ppm = FindPpmPixels(bytes, error)) {
            // The picture owns the file, which unmaps it when it closes.
            const QSize size = ppm->size;
            std::shared_ptr<RegularFile> owner(std::move(file));
            return Bitmap::WrapReadOnly(mapped + ppm->offset, size.width(), size.height(), 3 * size.width(),
                                        Bitmap::Format_RGB888, [owner] {});
        }
    }
    Bitmap picture = Decode(bytes, path, error, alpha);
    error.Report(warnings);
    return picture;
}

Bitmap PictureLoader::LoadFromMemory(const QByteArray& bytes, const QString& name, QStringList* warnings,
                                     Bitmap* alpha) const
{
    if (alpha)
        *alpha = Bitmap();
    const LoadError error(name);
    if (bytes.isEmpty())
        error.Throw(QStringLiteral("There is no picture in it."));
    if (bytes.size() > kMaxBytes)
        error.Throw(QStringLiteral("It holds more than %1 MB, more than any picture Pictaron opens.")
                        .arg(kMaxBytes / 1'000'000));
    Bitmap picture = Decode(bytes, name, error, alpha);
    error.Report(warnings);
    return picture;
}

} // namespace pictaron
