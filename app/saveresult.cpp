#include "app/saveresult.h"

#include "components/atomicfile.h"
#include "components/regularfile.h"
#include "components/errors.h"
#include "formats/gifresult.h"
#include "formats/pictureloader.h"

namespace pictaron {

namespace {

// The result of a JPEG run is the work file: saving copies it. Returns the
// bytes written.
qint64 CopyWorkFile(const QString& workFile, const QString& path)
{
    try {
        const QByteArray bytes = ReadWholeFile(workFile, PictureLoader::kMaxBytes);
        WriteFileAtomically(path, bytes);
        return bytes.size();
    } catch (const PictaronError& error) {
        throw PictaronError(QStringLiteral("Copy of file failed\n\n") + error.message());
    }
}

} // namespace

qint64 SaveResult(const QString& path, const QImage& shownPicture, const ConversionSettings& settings,
                  const QString& workFile)
{
    if (settings.format == OutputFormat::Jpeg)
        return CopyWorkFile(workFile, path);
    const QByteArray gif = EncodeGif(shownPicture, settings.transparentColour);
    WriteFileAtomically(path, gif);
    return gif.size();
}

} // namespace pictaron
