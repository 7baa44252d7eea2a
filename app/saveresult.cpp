#include "app/saveresult.h"

#include "components/atomicfile.h"
#include "formats/gifresult.h"

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
        bytes = EncodeGif(shownPicture, settings.transparentColour);
        break;
    }
    WriteFileAtomically(path, bytes);
    return bytes.size();
}

} // namespace pictaron
