#include "app/saveresult.h"

#include "components/atomicfile.h"
#include "components/errors.h"
#include "formats/gifresult.h"

namespace pictaron {

qint64 SaveResult(const QString& path, const QImage& shownPicture, const QByteArray& jpegBytes,
                  const ConversionSettings& settings)
{
    if (settings.format == OutputFormat::Jpeg) {
        try {
            WriteFileAtomically(path, jpegBytes);
        } catch (const PictaronError& error) {
            throw PictaronError(QStringLiteral("Copy of file failed\n\n") + error.message());
        }
        return jpegBytes.size();
    }
    const QByteArray gif = EncodeGif(shownPicture, settings.transparentColour);
    WriteFileAtomically(path, gif);
    return gif.size();
}

} // namespace pictaron
