#include "app/saveresult.h"

#include "components/atomicfile.h"
#include "components/errors.h"
#include "formats/gifresult.h"

#include <QFileInfo>

namespace pictaron {

namespace {

// The result of a JPEG run is the work file: saving copies it.
void CopyWorkFile(const QString& workFile, const QString& path)
{
    try {
        WriteFileAtomically(path, ReadWholeFile(workFile));
    } catch (const PictaronError& error) {
        throw PictaronError(QStringLiteral("Copy of file failed\n\n") + error.message());
    }
}

} // namespace

qint64 SaveResult(const QString& path, const QImage& shownPicture, const ConversionSettings& settings,
                  const QString& workFile)
{
    switch (settings.format) {
    case OutputFormat::Jpeg:
        CopyWorkFile(workFile, path);
        break;
    case OutputFormat::Gif:
        WriteFileAtomically(path, EncodeGif(shownPicture, settings.transparentColour));
        break;
    }
    return QFileInfo(path).size();
}

} // namespace pictaron
