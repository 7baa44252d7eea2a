// The command line's options, in groups that each own the options of one part
// of a run. A group declares its options and reads them into the settings;
// cliargs.cpp lists the groups once, in kOptionGroups.
#pragma once

#include "app/conversionsettings.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>

namespace pictaron {

struct OptionGroup {
    // Lines of the usage text: a heading and one line per option.
    QString (*usage)();
    QList<QCommandLineOption> (*options)();
    // False with error set when a value is bad.
    bool (*read)(const QCommandLineParser& parser, ConversionSettings& settings, QString& error);
};

// Shared readers; each returns false with a message naming the option.
bool ReadIntOption(const QCommandLineParser& parser, const QString& name, int& value, QString& error);

OptionGroup JpegOptions();
OptionGroup GifOptions();

} // namespace pictaron
