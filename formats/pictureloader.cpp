#include "formats/pictureloader.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "formats/directdecode.h"
#include "formats/magickdecoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace pictaron {

namespace {

// Formats without a signature in their header are known by their extension.
const char* FormatFromExtension(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toUpper();
    if (suffix == QLatin1String("TGA") || suffix == QLatin1String("ICB") || suffix == QLatin1String("VDA")
        || suffix == QLatin1String("VST"))
        return "TGA";
    if (suffix == QLatin1String("PCD"))
        return "PCD";
    return "";
}

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
        if (width * height > PictureLoader::kMaxPixels)
            Throw(QStringLiteral("The picture is %1 by %2 pixels; Pictaron opens pictures of up to %3 megapixels.")
                      .arg(width).arg(height).arg(PictureLoader::kMaxPixels / 1'000'000));
    }

private:
    QString path_;
};

} // namespace

QImage PictureLoader::Load(const QString& path) const
{
    return Read(path, false);
}

QImage PictureLoader::LoadForRun(const QString& path) const
{
    return Read(path, true);
}

QImage PictureLoader::Read(const QString& path, bool forRun) const
{
    const LoadError error(path);
    const QFileInfo info(path);
    if (!info.exists())
        throw PictaronError(QDir::toNativeSeparators(path) + QStringLiteral(" does not exist."));
    if (info.isDir())
        error.Throw(QStringLiteral("It is a folder, not a picture."));
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        error.Throw(file->errorString() + QLatin1Char('.'));
    // For a run the file is mapped and read in place, without a copy. A mapped
    // file shortened under the reader raises SIGBUS, which the command line
    // turns into an error; the window reads a copy, which nothing can pull
    // away from under it.
    QByteArray bytes;
    const uchar* mapped = forRun && file->size() > 0 ? file->map(0, file->size()) : nullptr;
    if (mapped) {
        bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), file->size());
    } else {
        bytes = file->readAll();
        if (file->error() != QFileDevice::NoError)
            error.Throw(file->errorString() + QLatin1Char('.'));
    }
    if (bytes.isEmpty())
        error.Throw(QStringLiteral("The file is empty."));

    if (mapped) {
        if (const std::optional<PpmPixels> ppm = FindPpmPixels(bytes, error)) {
            // The picture owns the file, which unmaps it when it closes.
            const auto closeFile = [](void* owner) { delete static_cast<QFile*>(owner); };
            const QSize size = ppm->size;
            QImage picture(mapped + ppm->offset, size.width(), size.height(), 3 * size.width(),
                           QImage::Format_RGB888, closeFile, file.get());
            if (picture.isNull())
                ThrowOutOfMemory(size.width(), size.height());
            file.release();
            return picture;
        }
    }
    if (std::optional<QImage> picture = DecodePpm(bytes, error))
        return *picture;
    if (std::optional<QImage> picture = DecodeJpeg(bytes, error))
        return *picture;

    return DecodeWithMagick(bytes, FormatFromExtension(path), error);
}

} // namespace pictaron
