#include "app/saveresult.h"
#include "components/qtbridge.h"

#include "components/atomicfile.h"
#include "components/errors.h"
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
            WriteFileAtomically(path, encodedBytes);
        } catch (const PictaronError& error) {
            throw PictaronError(QStringLiteral("Copy of file failed\n\n") + ToQString(error.message()));
        }
        return encodedBytes.size();
    case OutputFormat::Png:
    case OutputFormat::Webp:
    case OutputFormat::Avif:
        WriteFileAtomically(path, encodedBytes);
        return encodedBytes.size();
    }
    const QByteArray gif = EncodeGif(shownPicture, settings.transparentColour);
    WriteFileAtomically(path, gif);
    return gif.size();
}

} // namespace pictaron
