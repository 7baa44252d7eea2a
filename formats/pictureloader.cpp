#include "formats/pictureloader.h"

#include "components/errors.h"
#include "components/regularfile.h"
#include "effects/pixels.h"
#include "formats/directdecode.h"
#include "formats/magickdecoder.h"
#include "formats/pictureformat.h"

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
    // The warnings of the decoders, one line each, naming the file.
    void Report(QStringList* warnings) const
    {
        if (warnings && partlyRead_)
            *warnings << QStringLiteral("%1 is damaged or cut short; the picture holds only what could be read.")
                             .arg(path_);
    }

private:
    QString path_;
    mutable bool partlyRead_ = false;
};

// The decoder of the format the bytes' signature names, and no other.
QImage Decode(const QByteArray& bytes, const QString& name, const LoadError& error)
{
    const FormatVerdict verdict = DetectPictureFormat(bytes, name);
    if (!verdict.known)
        error.Throw(verdict.refusal);
    if (const auto size = DeclaredSize(verdict.format, bytes))
        error.CheckSize(size->first, size->second);
    if (verdict.format == PictureFormat::Pnm)
        if (std::optional<QImage> picture = DecodePpm(bytes, error))
            return *picture;
    if (verdict.format == PictureFormat::Jpeg)
        if (std::optional<QImage> picture = DecodeJpeg(bytes, error))
            return *picture;
    const MagickRequest request{LibraryCoder(verdict.format), PixelsCanHoldAlpha(verdict.format, bytes)};
    return DecodeWithMagick(bytes, request, error);
}

QString TooLarge(qint64 bytes)
{
    return QStringLiteral("It is %1; no picture Pictaron opens takes more than %2 MB.")
        .arg(DescribeFileSize(bytes)).arg(PictureLoader::kMaxBytes / 1'000'000);
}

} // namespace

QImage PictureLoader::Load(const QString& path, QStringList* warnings) const
{
    return Read(path, false, warnings);
}

QImage PictureLoader::LoadForRun(const QString& path, QStringList* warnings) const
{
    return Read(path, true, warnings);
}

QImage PictureLoader::Read(const QString& path, bool forRun, QStringList* warnings) const
{
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
            const auto closeFile = [](void* owner) { delete static_cast<RegularFile*>(owner); };
            const QSize size = ppm->size;
            QImage picture(mapped + ppm->offset, size.width(), size.height(), 3 * size.width(),
                           QImage::Format_RGB888, closeFile, file.get());
            if (picture.isNull())
                ThrowOutOfMemory(size.width(), size.height());
            file.release();
            return picture;
        }
    }
    QImage picture = Decode(bytes, path, error);
    error.Report(warnings);
    return picture;
}

} // namespace pictaron
