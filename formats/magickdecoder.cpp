// The general picture decoder, over the GraphicsMagick library.
//
// Built as a module of its own and loaded on first use: the library drags in
// some seventy shared objects whose start-up costs more than encoding a
// photograph, and most runs (PPM and JPEG input) never need it. Everything
// here reports through the caller's DecodeGuard, whose functions throw from
// the caller's own code.
#include "formats/magickdecoder.h"

#include <QImage>
#include <QRegularExpression>
#include <QSize>
#include <QString>

#include <Magick++.h>

#include <algorithm>
#include <climits>
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

} // namespace pictaron

extern "C" Q_DECL_EXPORT void PictaronDecodeWithMagick(const QByteArray* bytes, const char* formatByExtension,
                                                       const pictaron::DecodeGuard* decodeGuard, QImage* picture)
{
    using namespace pictaron;
    const DecodeGuard& guard = *decodeGuard;
    InitialiseLibrary();
    // Decoding from memory keeps the library away from the file name, which
    // it would otherwise read for format prefixes and frame ranges.
    const Magick::Blob blob(bytes->constData(), static_cast<size_t>(bytes->size()));

    Magick::Image probe;
    try {
        probe = Ping(blob, {});
    } catch (const Magick::Exception&) {
        if (!formatByExtension || !*formatByExtension)
            guard.Fail(QStringLiteral("It is not a picture in a format Pictaron reads."));
        try {
            probe = Ping(blob, formatByExtension);
        } catch (const Magick::Exception& e) {
            guard.Fail(LibraryReason(e));
        }
    }
    const std::string format = probe.magick();
    if (!kReadableFormats.count(format))
        guard.Fail(QStringLiteral("Pictaron does not read %1 files.").arg(QString::fromStdString(format)));
    const auto clamped = [](size_t extent) { return static_cast<int>(std::min<size_t>(extent, INT_MAX)); };
    guard.CheckSize(QSize(clamped(probe.columns()), clamped(probe.rows())));

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
        guard.Fail(LibraryReason(e));
    }
    if (!image.isValid() || image.columns() == 0 || image.rows() == 0)
        guard.Fail(QStringLiteral("The picture could not be decoded."));

    try {
        if (image.colorSpace() != Magick::RGBColorspace)
            image.colorSpace(Magick::RGBColorspace);
        if (image.matte()) {
            Magick::Image white(Magick::Geometry(image.columns(), image.rows()), Magick::Color("white"));
            white.composite(image, 0, 0, Magick::OverCompositeOp);
            image = white;
        }
        QImage bitmap(static_cast<int>(image.columns()), static_cast<int>(image.rows()), QImage::Format_BGR888);
        if (bitmap.isNull())
            guard.Fail(QStringLiteral("There is not enough memory for this picture."));
        for (int y = 0; y < bitmap.height(); ++y)
            image.write(0, y, bitmap.width(), 1, "BGR", Magick::CharPixel, bitmap.scanLine(y));
        *picture = std::move(bitmap);
    } catch (const Magick::Exception& e) {
        guard.Fail(LibraryReason(e));
    }
}
