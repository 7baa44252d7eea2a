// What a run needs from its surroundings besides the settings: where progress
// goes, the flag that cancels it, and where the JPEG work file lives.
#pragma once

#include "app/progress.h"

#include <QImage>
#include <QString>

namespace pictaron {

struct RunContext {
    RunProgress& progress;
    const CancelFlag& cancel;
    QString workFile;  // the JPEG work file, see WorkFilePath()
};

// What an encoder step hands back to the window: the picture the result view
// shows at its natural size (also the unscaled copy kept for zooming), the
// encoded size, and the description for the report (empty: describe the
// picture). For a GIF, colours is the number of palette entries.
struct EncodedResult {
    QImage picture;
    qint64 size = 0;
    QString description;
    int colours = 0;
};

} // namespace pictaron
