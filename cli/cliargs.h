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

#include "cli/optionparser.h"

#include <string>
#include <vector>

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
    Texts inputs;               // "-" is standard input
    std::string output;
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
    std::string error;  // for BadUsage
};

// arguments[0] is the program.
CliParse ParseCliArguments(const Texts& arguments);
std::string CliUsage();
// Every option the command line takes.
std::vector<OptionDefinition> CliOptions();

} // namespace pictaron
