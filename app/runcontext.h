// What a run needs from its surroundings besides the settings: where progress
// goes, the flag that cancels it, and where the JPEG work file lives.
//
// The window shows every result, so its runs write the work file and decode
// it again. The command line only writes files: with an empty workFile a JPEG
// is encoded in memory only and not decoded again, which saves a file round
// trip and a full decode per picture.
#pragma once

#include "app/conversionsettings.h"
#include "app/progress.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace pictaron {

struct RunContext {
    RunProgress& progress;
    const CancelFlag& cancel;
    QString workFile;  // the JPEG work file (see WorkFilePath()), or empty
};

// What an encoder step hands back to the window: the format encoded, the
// picture the result view shows at its natural size (also the unscaled copy
// kept for zooming; null when the run does not show its result), its size in
// pixels, the encoded bytes and
// their count, and the description for the report (empty: describe the
// picture). For a GIF, colours is the number of palette entries. Warnings are
// the messages of steps that failed without ending the run (a resize that could
// not be done); the window shows each, the command line prints them.
struct EncodedResult {
    OutputFormat format = OutputFormat::Jpeg;
    QImage picture;
    QSize dimensions;
    QByteArray bytes;
    qint64 size = 0;
    QString description;
    int colours = 0;
    QStringList warnings;
};

} // namespace pictaron
