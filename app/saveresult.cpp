#include "app/saveresult.h"

#include "components/atomicfile.h"
#include "components/errors.h"

namespace pictaron {

qint64 SaveResult(const QString& path, const QImage& shownPicture, const ConversionSettings& settings,
                  const QString& workFile)
{
    QByteArray bytes;
    switch (settings.format) {
    case OutputFormat::Jpeg:
        bytes = ReadWholeFile(workFile);
        break;
    case OutputFormat::Gif:
        throw PictaronError(QStringLiteral("GIF output is not available in this build."));
    }
    WriteFileAtomically(path, bytes);
    return bytes.size();
}

} // namespace pictaron
