#include "app/saveresult.h"

#include "components/atomicfile.h"
#include "components/errors.h"
#include "components/qtbridge.h"
#include "formats/gifresult.h"

namespace pictaron {

qint64 SaveResult(const QString& path, const Bitmap& shownPicture, const QByteArray& encodedBytes,
                  const ConversionSettings& settings)
{
    switch (settings.format) {
    case OutputFormat::Gif:
        break;
    case OutputFormat::Jpeg:
        try {
            WriteFileAtomically(ToUtf8(path), BytesView(encodedBytes));
        } catch (const PictaronError& error) {
            throw PictaronError(QStringLiteral("Copy of file failed\n\n") + ToQString(error.message()));
        }
        return encodedBytes.size();
    case OutputFormat::Png:
    case OutputFormat::Webp:
    case OutputFormat::Avif:
        WriteFileAtomically(ToUtf8(path), BytesView(encodedBytes));
        return encodedBytes.size();
    }
    const std::string gif = EncodeGif(shownPicture, settings.transparentColour);
    WriteFileAtomically(ToUtf8(path), gif);
    return static_cast<qint64>(gif.size());
}

} // namespace pictaron
