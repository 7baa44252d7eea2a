// Writing the result of the last run to a file the user named.
#pragma once

#include "app/conversionsettings.h"

#include <QImage>
#include <QString>

namespace pictaron {

// A JPEG result is the work file itself, copied ("Copy of file failed" and
// the reason when that fails); a GIF result is built again from the picture
// shown. The file is written atomically (see WriteFileAtomically). Returns
// the size of the written file.
qint64 SaveResult(const QString& path, const QImage& shownPicture, const ConversionSettings& settings,
                  const QString& workFile);

} // namespace pictaron
