// The command line's options, in groups that each own the options of one part
// of a run. A group declares its options and reads them into the settings;
// cliargs.cpp lists the groups once, in OptionGroups(). The format is chosen
// before any group reads, so an option of one format can refuse a run that
// writes another.
#pragma once

#include "app/conversionsettings.h"

#include "cli/optionparser.h"

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictaron {

struct OptionGroup {
    // Lines of the usage text: a heading and one line per option.
    std::string (*usage)();
    std::vector<OptionDefinition> (*options)();
    // False with error set when a value is bad.
    bool (*read)(const OptionParser& parser, ConversionSettings& settings, std::string& error);
};

// Shared readers; each leaves value alone when the option is absent and
// returns false with a message naming the option when its value is bad.
bool ReadIntOption(const OptionParser& parser, std::string_view name, int& value, std::string& error);
// A whole number from low to high.
bool ReadIntOption(const OptionParser& parser, std::string_view name, int& value, std::string& error, int low,
                   int high);
// Six hexadecimal digits as web pages write colours (RRGGBB, "#" allowed).
bool ReadColourOption(const OptionParser& parser, std::string_view name, TColor& value, std::string& error);
// One of choices, case-insensitively; value becomes its index.
bool ReadChoiceOption(const OptionParser& parser, std::string_view name, const Texts& choices, int& value,
                      std::string& error);

// How values were always read, for the readers of the groups.
// A whole number as the toolkit's toInt takes it: ASCII white space around,
// a sign, within int.
bool ReadInt(std::string_view text, int& value);
// A number as the toolkit's toDouble takes it: Unicode white space around, a
// sign, a point, an exponent; no infinity or NaN spelled out, nothing that
// overflows or underflows to 0.
std::optional<double> ParseDecimalNumber(std::string_view text);
// Whether text is ASCII digits only (an empty text is).
bool AllDigits(std::string_view text);
// text without one final line feed, which the patterns the values were once
// matched with allowed before their end.
std::string_view WithoutFinalNewline(std::string_view text);

// An option that only some formats have: false with error set when it is
// given and the run writes none of them.
bool CheckFormatOption(const OptionParser& parser, std::string_view name, OutputFormat chosen,
                       std::initializer_list<OutputFormat> formats, std::string& error);
// Whether any of the options is given.
bool AnySet(const OptionParser& parser, const Texts& names);

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
