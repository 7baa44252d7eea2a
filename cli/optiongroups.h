// The command line's options, in groups that each own the options of one part
// of a run. A group declares its options and reads them into the settings;
// cliargs.cpp lists the groups once, in OptionGroups(). The format is chosen
// before any group reads, so an option of one format can refuse a run that
// writes another.
#pragma once

#include "app/conversionsettings.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <initializer_list>

namespace pictaron {

struct OptionGroup {
    // Lines of the usage text: a heading and one line per option.
    QString (*usage)();
    QList<QCommandLineOption> (*options)();
    // False with error set when a value is bad.
    bool (*read)(const QCommandLineParser& parser, ConversionSettings& settings, QString& error);
};

// Shared readers; each leaves value alone when the option is absent and
// returns false with a message naming the option when its value is bad.
bool ReadIntOption(const QCommandLineParser& parser, const QString& name, int& value, QString& error);
// A whole number from low to high.
bool ReadIntOption(const QCommandLineParser& parser, const QString& name, int& value, QString& error, int low,
                   int high);
// Six hexadecimal digits as web pages write colours (RRGGBB, "#" allowed).
bool ReadColourOption(const QCommandLineParser& parser, const QString& name, TColor& value, QString& error);
// One of choices, case-insensitively; value becomes its index.
bool ReadChoiceOption(const QCommandLineParser& parser, const QString& name, const QStringList& choices, int& value,
                      QString& error);

// An option that only some formats have: false with error set when it is
// given and the run writes none of them.
bool CheckFormatOption(const QCommandLineParser& parser, const QString& name, OutputFormat chosen,
                       std::initializer_list<OutputFormat> formats, QString& error);
// Whether any of the options is given.
bool AnySet(const QCommandLineParser& parser, const QStringList& names);

OptionGroup GeometryOptions();
OptionGroup ToneOptions();
OptionGroup DecorationOptions();
OptionGroup QualityOptions();
OptionGroup JpegOptions();
OptionGroup GifOptions();
OptionGroup PngOptions();
OptionGroup WebpOptions();
OptionGroup AvifOptions();
OptionGroup TargetOptions();
OptionGroup SourceOptions();

} // namespace pictaron
