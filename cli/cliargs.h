// The command line of pictaron-cli:
//
//   pictaron-cli [OPTIONS] INPUT -o OUTPUT
//   pictaron-cli [OPTIONS] INPUT... -o FOLDER/
//
// Every option maps onto one value of ConversionSettings, so a command line
// converts exactly as the window would with the same choices.
#pragma once

#include "app/conversionsettings.h"

#include <QString>
#include <QStringList>

namespace pictaron {

enum class CliOutputMode { Text, Report, Json };

struct CliJob {
    QStringList inputs;
    QString output;             // a file, or a folder when outputIsFolder
    bool outputIsFolder = false;
    CliOutputMode mode = CliOutputMode::Text;
    ConversionSettings settings;
};

struct CliParse {
    enum class Outcome { Run, Help, Version, BadUsage } outcome = Outcome::BadUsage;
    CliJob job;
    QString error;  // for BadUsage
};

CliParse ParseCliArguments(const QStringList& arguments);
QString CliUsage();

// Where one input's result goes: the named file, or FOLDER/<input name>.<jpg|gif>.
QString OutputPathFor(const CliJob& job, const QString& input);

} // namespace pictaron
