// The command line of pictaron-cli:
//
//   pictaron-cli [OPTIONS] INPUT -o OUTPUT
//   pictaron-cli [OPTIONS] INPUT... -o FOLDER/
//   pictaron-cli [OPTIONS] INPUT... -o 'FOLDER/{dir}-{name}.{ext}'
//
// "-" as INPUT reads standard input, as OUTPUT writes standard output.
//
// Every option maps onto one value of ConversionSettings, so a command line
// converts exactly as the window would with the same choices.
#pragma once

#include "app/conversionsettings.h"
#include "cli/variants.h"

#include <QString>
#include <QStringList>

namespace pictaron {

enum class CliOutputMode { Text, Report, Json };

// What -o names. A folder and a pattern take several inputs.
enum class CliOutputKind {
    File,            // one result, this file
    Folder,          // FOLDER/<input name>.<the format's extension>
    Pattern,         // a name with {name}, {dir} or {ext} (see cli/outputplan.h)
    StandardOutput,  // "-"
};

// What happens to an output that exists already and is none of the inputs
// (inputs are never written over).
enum class CliExisting { Replace, Keep };

struct CliJob {
    QStringList inputs;         // "-" is standard input
    QString output;
    CliOutputKind outputKind = CliOutputKind::File;
    CliExisting existing = CliExisting::Replace;
    CliOutputMode mode = CliOutputMode::Text;
    int jobs = 0;  // inputs converted at once; 0: one per processor (WorkerThreadCount())
    ConversionSettings settings;
    VariantRequest variants;  // none: one result per input
};

struct CliParse {
    enum class Outcome { Run, Help, Version, BadUsage } outcome = Outcome::BadUsage;
    CliJob job;
    QString error;  // for BadUsage
};

CliParse ParseCliArguments(const QStringList& arguments);
QString CliUsage();

} // namespace pictaron
