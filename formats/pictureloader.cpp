#include "formats/pictureloader.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "formats/directdecode.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <Magick++.h>

#include <mutex>
#include <set>
#include <string>

namespace pictaron {

namespace {

// The decoders the program lets loose on a file. A file is only ever decoded
// by the decoder of its own detected format, and only when that is listed.
const std::set<std::string> kReadableFormats = {
    "GIF", "GIF87", "JPEG", "JPG", "TIFF", "TIF", "PTIF", "BMP", "BMP2", "BMP3", "PCX", "DCX", "PNG",
    "PNG8", "PNG24", "PNG32", "TGA", "ICB", "VDA", "VST", "PCD", "PCDS", "PNM", "PBM", "PGM", "PPM",
    "PAM", "WEBP",
};

// Formats without a signature in their header are known by their extension.
std::string FormatFromExtension(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toUpper();
    if (suffix == QLatin1String("TGA") || suffix == QLatin1String("ICB") || suffix == QLatin1String("VDA")
        || suffix == QLatin1String("VST"))
        return "TGA";
    if (suffix == QLatin1String("PCD"))
        return "PCD";
    return {};
}

void InitialiseLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { Magick::InitializeMagick(nullptr); });
}

// The library's text without its source-code location, e.g.
// "gm: Improper image header () reported by coders/png.c:123 (ReadPNGImage)".
QString LibraryReason(const Magick::Exception& error)
{
    QString text = QString::fromLocal8Bit(error.what());
    text.remove(QRegularExpression(QStringLiteral(" reported by .*$")));
    text.remove(QRegularExpression(QStringLiteral("^[^:]*: ")));
    text.remove(QStringLiteral(" ()"));
    text = text.trimmed();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('.')))
        text += QLatin1Char('.');
    return text.isEmpty() ? QStringLiteral("The picture could not be decoded.") : text;
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

// Pings the bytes: the format and the declared size, without decoding pixels.
Magick::Image Ping(const Magick::Blob& blob, const std::string& format)
{
    Magick::Image image;
    image.quiet(true);
    if (!format.empty())
        image.magick(format);
    image.ping(blob);
    return image;
}

} // namespace

QImage PictureLoader::Load(const QString& path) const
{
    const LoadError error(path);
    const QFileInfo info(path);
    if (!info.exists())
        throw PictaronError(QDir::toNativeSeparators(path) + QStringLiteral(" does not exist."));
    if (info.isDir())
        error.Throw(QStringLiteral("It is a folder, not a picture."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        error.Throw(file.errorString() + QLatin1Char('.'));
    // A mapped file is read by the decoders in place, without a copy.
    QByteArray bytes;
    if (const uchar* mapped = file.size() > 0 ? file.map(0, file.size()) : nullptr) {
        bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), file.size());
    } else {
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            error.Throw(file.errorString() + QLatin1Char('.'));
    }
    if (bytes.isEmpty())
        error.Throw(QStringLiteral("The file is empty."));

    if (std::optional<QImage> picture = DecodePpm(bytes, error))
        return *picture;
    if (std::optional<QImage> picture = DecodeJpeg(bytes, error))
        return *picture;

    InitialiseLibrary();
    // Decoding from memory keeps the library away from the file name, which
    // it would otherwise read for format prefixes and frame ranges.
    const Magick::Blob blob(bytes.constData(), static_cast<size_t>(bytes.size()));

    Magick::Image probe;
    try {
        probe = Ping(blob, {});
    } catch (const Magick::Exception&) {
        const std::string byExtension = FormatFromExtension(path);
        if (byExtension.empty())
            error.Throw(QStringLiteral("It is not a picture in a format Pictaron reads."));
        try {
            probe = Ping(blob, byExtension);
        } catch (const Magick::Exception& e) {
            error.Throw(LibraryReason(e));
        }
    }
    const std::string format = probe.magick();
    if (!kReadableFormats.count(format))
        error.Throw(QStringLiteral("Pictaron does not read %1 files.").arg(QString::fromStdString(format)));
    error.CheckSize(probe.columns(), probe.rows());

    Magick::Image image;
    image.quiet(false);
    image.magick(format);
    if (format == "PCD" || format == "PCDS") {
        // A Photo CD holds six resolutions; the fourth is the 768 × 512 base image.
        image.subImage(3);
    } else {
        image.subImage(0);  // the first frame of an animation, the first page of a TIFF
    }
    image.subRange(1);
    try {
        image.read(blob);
    } catch (const Magick::Warning&) {
        // The picture was read despite the complaint.
    } catch (const Magick::Exception& e) {
        error.Throw(LibraryReason(e));
    }
    if (!image.isValid() || image.columns() == 0 || image.rows() == 0)
        error.Throw(QStringLiteral("The picture could not be decoded."));

    try {
        if (image.colorSpace() != Magick::RGBColorspace)
            image.colorSpace(Magick::RGBColorspace);
        if (image.matte()) {
            Magick::Image white(Magick::Geometry(image.columns(), image.rows()), Magick::Color("white"));
            white.composite(image, 0, 0, Magick::OverCompositeOp);
            image = white;
        }
        QImage picture = NewWorkingBitmap(static_cast<int>(image.columns()), static_cast<int>(image.rows()));
        for (int y = 0; y < picture.height(); ++y)
            image.write(0, y, picture.width(), 1, "BGR", Magick::CharPixel, picture.scanLine(y));
        return picture;
    } catch (const Magick::Exception& e) {
        error.Throw(LibraryReason(e));
    }
}

} // namespace pictaron
