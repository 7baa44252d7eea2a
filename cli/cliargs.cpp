#include "cli/cliargs.h"

#include "app/outputformat.h"
#include "cli/optiongroups.h"
#include "cli/outputplan.h"
#include "cli/standardstreams.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

#include <sys/stat.h>

namespace pictaron {

namespace {

// The option groups, in the order of the usage text and of reading.
std::vector<OptionGroup> OptionGroups()
{
    return {GeometryOptions(), ToneOptions(), DecorationOptions(), QualityOptions(), JpegOptions(),
            GifOptions(),      PngOptions(),  WebpOptions(),       AvifOptions(),    TargetOptions(),
            SourceOptions()};
}

// The formats of the command line being read: its one format, or each of
// --formats. An option of any of them is taken (CheckFormatOption).
std::vector<OutputFormat> gWrittenFormats;

// "a, b and c", or with "or".
std::string Listed(Texts words, std::string_view last)
{
    const std::string tail = words.back();
    words.pop_back();
    return words.empty() ? tail : JoinTexts(words, ", ") + ' ' + std::string(last) + ' ' + tail;
}

Texts FormatKeys()
{
    Texts keys;
    for (const OutputFormatFacts& facts : OutputFormats())
        keys.push_back(facts.key);
    return keys;
}

// What each format's results are named with.
Texts ResultExtensions()
{
    Texts extensions;
    for (const OutputFormatFacts& facts : OutputFormats())
        extensions.push_back(facts.extension);
    return extensions;
}

// Every extension that names a format, as --format and OUTPUT take them.
Texts FormatExtensions()
{
    Texts extensions;
    for (const OutputFormatFacts& facts : OutputFormats())
        for (const std::string& extension : facts.extensions)
            extensions.push_back('.' + extension);
    return extensions;
}

// --format, else the extension of a file or pattern; JPEG when neither names one.
bool ReadFormat(const OptionParser& parser, const CliJob& job, OutputFormat& format, std::string& error)
{
    if (parser.IsSet("format")) {
        const std::string word = parser.Value("format");
        const std::optional<OutputFormat> named = FormatForKey(word);
        if (!named) {
            error = Substitute("--format must be %1, not \"%2\".", Listed(FormatKeys(), "or"), word);
            return false;
        }
        format = *named;
    } else if (job.outputKind == CliOutputKind::File || job.outputKind == CliOutputKind::Pattern) {
        format = FormatForFileName(job.output).value_or(OutputFormat::Jpeg);
    }
    return true;
}

bool IsFolderName(const std::string& output)
{
    struct stat info {};
    return output.ends_with('/') || (::stat(output.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

CliOutputKind KindOf(const std::string& output)
{
    if (IsStandardStream(output))
        return CliOutputKind::StandardOutput;
    if (IsOutputPattern(output))
        return CliOutputKind::Pattern;
    return IsFolderName(output) ? CliOutputKind::Folder : CliOutputKind::File;
}

// Rules about where the inputs and the outputs go; an empty text when the
// job is sound.
std::string CheckOutputs(const CliJob& job)
{
    const bool several = job.outputKind == CliOutputKind::Folder || job.outputKind == CliOutputKind::Pattern;
    if (job.inputs.size() > 1 && !several)
        return job.outputKind == CliOutputKind::StandardOutput
            ? "-o - writes one picture to standard output; name one input."
            : "Several inputs need an output folder (-o FOLDER/) or a name pattern (-o 'FOLDER/{name}.{ext}').";
    if (std::find(job.inputs.begin(), job.inputs.end(), "-") != job.inputs.end()) {
        if (job.inputs.size() > 1)
            return "Standard input (-) is read once; it must be the only input.";
        if (several)
            return "Standard input (-) has no name to make an output name from; name the output file (-o FILE, or "
                   "-o - for standard output).";
    }
    if (job.outputKind == CliOutputKind::Pattern) {
        const std::string unknown = UnknownPlaceholder(job.output);
        if (!unknown.empty())
            return Substitute("-o %1: %2 is none of {name}, {dir} and {ext}.", job.output, unknown);
    }
    return {};
}

} // namespace

bool ReadInt(std::string_view text, int& value)
{
    const std::optional<std::int64_t> parsed = ParseWholeNumber(text);
    if (!parsed || *parsed < INT_MIN || *parsed > INT_MAX)
        return false;
    value = static_cast<int>(*parsed);
    return true;
}

std::optional<double> ParseDecimalNumber(std::string_view text)
{
    text = TrimmedUnicode(text);
    // from_chars takes a minus sign but no plus, and words such as "inf".
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || !(text.front() == '-' || text.front() == '.' || (text.front() >= '0' && text.front() <= '9')))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool AllDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view WithoutFinalNewline(std::string_view text)
{
    if (text.ends_with('\n'))
        text.remove_suffix(1);
    return text;
}

bool ReadIntOption(const OptionParser& parser, std::string_view name, int& value, std::string& error)
{
    if (!parser.IsSet(name))
        return true;
    if (!ReadInt(parser.Value(name), value)) {
        error = Substitute("--%1 needs a whole number, not \"%2\".", name, parser.Value(name));
        return false;
    }
    return true;
}

bool ReadIntOption(const OptionParser& parser, std::string_view name, int& value, std::string& error, int low,
                   int high)
{
    int parsed = value;
    if (!ReadIntOption(parser, name, parsed, error))
        return false;
    if (parsed < low || parsed > high) {
        error = Substitute("--%1 needs a whole number from %2 to %3, not \"%4\".", name, low, high,
                           parser.Value(name));
        return false;
    }
    value = parsed;
    return true;
}

bool CheckFormatOption(const OptionParser& parser, std::string_view name, OutputFormat chosen,
                       std::initializer_list<OutputFormat> formats, std::string& error)
{
    const auto takes = [formats](OutputFormat format) {
        return std::find(formats.begin(), formats.end(), format) != formats.end();
    };
    if (!parser.IsSet(name) || takes(chosen) || std::any_of(gWrittenFormats.begin(), gWrittenFormats.end(), takes))
        return true;
    Texts names;
    for (const OutputFormat format : formats)
        names.push_back(FactsOf(format).name);
    Texts written;
    for (const OutputFormat format : gWrittenFormats)
        written.push_back(FactsOf(format).name);
    error = Substitute("--%1 is for %2 results, but this run writes %3; --format, --formats or the output's "
                       "extension chooses the format.",
                       name, Listed(names, "and"), Listed(written, "and"));
    return false;
}

bool AnySet(const OptionParser& parser, const Texts& names)
{
    return std::any_of(names.begin(), names.end(), [&parser](const std::string& name) { return parser.IsSet(name); });
}

// As the toolkit's toUInt(16) read it: ASCII white space around, a plus
// sign, a "0x" before the digits.
std::optional<unsigned int> ParseHexNumber(std::string_view text)
{
    text = Trimmed(text);
    if (text.starts_with('+'))
        text.remove_prefix(1);
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    unsigned int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool ReadColourOption(const OptionParser& parser, std::string_view name, TColor& value, std::string& error)
{
    if (!parser.IsSet(name))
        return true;
    const std::string given = parser.Value(name);
    std::string_view text = given;
    if (text.starts_with('#'))
        text.remove_prefix(1);
    const std::optional<unsigned int> rgb = ParseHexNumber(text);
    if (!rgb || text.size() != 6) {
        error = Substitute("--%1 needs a colour as six hexadecimal digits (RRGGBB), not \"%2\".", name, given);
        return false;
    }
    value = (*rgb >> 16 & 0xFF) | (*rgb & 0xFF00) | (*rgb & 0xFF) << 16;  // 0x00BBGGRR
    return true;
}

bool ReadChoiceOption(const OptionParser& parser, std::string_view name, const Texts& choices, int& value,
                      std::string& error)
{
    if (!parser.IsSet(name))
        return true;
    const auto found = std::find(choices.begin(), choices.end(), AsciiLower(parser.Value(name)));
    if (found == choices.end()) {
        error = Substitute("--%1 must be %2, not \"%3\".", name, JoinTexts(choices, ", "), parser.Value(name));
        return false;
    }
    value = static_cast<int>(found - choices.begin());
    return true;
}

std::string CliUsage()
{
    std::string usage = Substitute(
        "Usage: pictaron-cli [OPTIONS] INPUT -o OUTPUT\n"
        "       pictaron-cli [OPTIONS] INPUT... -o FOLDER/\n"
        "       pictaron-cli [OPTIONS] INPUT... -o 'FOLDER/{dir}-{name}.{ext}'\n"
        "\n"
        "Converts pictures for web pages as Pictaron " PICTARON_VERSION " does.\n"
        "\n"
        "Output:\n"
        "  -o, --output PATH       the result file; a folder (a name ending in /, or one\n"
        "                          that exists) for several inputs, each written as\n"
        "                          FOLDER/<input name>.<extension of the format>; a name\n"
        "                          pattern (see Output names); or - for standard output\n"
        "  --format F              %1 (or an extension of one);\n"
        "                          by default the format OUTPUT's extension names,\n"
        "                          %2,\n"
        "                          and JPEG for any other, for a folder, for a pattern\n"
        "                          ending in {ext} and for -. An option of a format\n"
        "                          other than the chosen one is bad usage\n"
        "  --overwrite             replace outputs that exist already (the default)\n"
        "  --no-clobber            keep outputs that exist already: each such input is\n"
        "                          skipped with a message on standard error, and a run\n"
        "                          that only skips still exits with 0\n"
        "  --report                print the picture report and download times\n"
        "  --json                  print one JSON object per input; with -o - the report\n"
        "                          and the JSON go to standard error\n"
        "  --jobs N                convert N inputs at once, 1..64 (default: one per\n"
        "                          processor thread, as PICTARON_THREADS); outputs,\n"
        "                          reports and messages are those of --jobs 1, in\n"
        "                          the inputs' order\n"
        "\n"
        "Output names:\n"
        "  An OUTPUT holding {name}, {dir} or {ext} is a pattern that takes any number\n"
        "  of inputs: {name} is the input's file name without its extension, {dir} the\n"
        "  name of the folder it is in, {ext} the format's extension\n"
        "  (%3). Folders in the pattern are made as needed.\n"
        "  -o 'web/{dir}-{name}.{ext}' writes x/a.png as web/x-a.jpg and y/a.png as\n"
        "  web/y-a.jpg.\n"
        "  Every output name is planned before anything is written. An output that\n"
        "  would replace one of the inputs (under any spelling of its path or through a\n"
        "  symbolic link), or that two inputs would both write, stops the run with exit\n"
        "  status 1 before it writes anything; the message names the inputs and the\n"
        "  output. --overwrite does not change that.\n"
        "\n"
        "Input:\n"
        "  INPUT of - reads the picture from standard input (the only input then, with\n"
        "  OUTPUT a file or -); TGA and PCD, which have no signature, need a file name.\n",
        Listed(FormatKeys(), "or"), Listed(FormatExtensions(), "or"), Listed(ResultExtensions(), "or"));
    usage += '\n' + VariantUsage();
    for (const OptionGroup& group : OptionGroups())
        usage += '\n' + group.usage();
    usage += std::string(
        "\n"
        "  -h, --help              show this text\n"
        "  --version               show the version\n"
        "\n"
        "Exit status: 0 done (also when --no-clobber kept files), 1 error (nothing is\n"
        "written for the input concerned, and the message on standard error names its\n"
        "file), 2 bad usage, 3 cancelled: interrupted by SIGINT or SIGTERM (an output\n"
        "is then either whole or not there) or a step that cannot be done at this size.\n"
        "Environment: PICTARON_THREADS=N runs per-row work on N threads (default: one per\n"
        "processor thread, at most 8; 1 runs everything on one thread), and is the\n"
        "default of --jobs; pictures converted side by side each use one thread.\n");
    return usage;
}

std::vector<OptionDefinition> CliOptions()
{
    std::vector<OptionDefinition> options{
        {{"o", "output"}, "path"},
        {{"format"}, "format"},
        {{"overwrite"}, ""},
        {{"no-clobber"}, ""},
        {{"report"}, ""},
        {{"json"}, ""},
        {{"jobs"}, "n"},
        {{"h", "help"}, ""},
        {{"version"}, ""},
    };
    const auto add = [&options](const std::vector<OptionDefinition>& more) {
        options.insert(options.end(), more.begin(), more.end());
    };
    add(VariantOptions());
    for (const OptionGroup& group : OptionGroups())
        add(group.options());
    return options;
}

CliParse ParseCliArguments(const Texts& arguments)
{
    CliParse parse;
    OptionParser parser;
    parser.Add(CliOptions());
    const std::vector<OptionGroup> groups = OptionGroups();

    if (!parser.Parse(arguments)) {
        parse.error = parser.ErrorText();
        return parse;
    }
    if (parser.IsSet("help")) {
        parse.outcome = CliParse::Outcome::Help;
        return parse;
    }
    if (parser.IsSet("version")) {
        parse.outcome = CliParse::Outcome::Version;
        return parse;
    }

    CliJob& job = parse.job;
    job.inputs = parser.PositionalArguments();
    if (job.inputs.empty()) {
        parse.error = "No input picture given.";
        return parse;
    }
    if (!parser.IsSet("output")) {
        parse.error = "No output given (-o OUTPUT).";
        return parse;
    }
    job.output = parser.Value("output");
    job.outputKind = KindOf(job.output);
    parse.error = CheckOutputs(job);
    if (!parse.error.empty())
        return parse;
    if (parser.IsSet("overwrite") && parser.IsSet("no-clobber")) {
        parse.error = "Choose either --overwrite or --no-clobber.";
        return parse;
    }
    job.existing = parser.IsSet("no-clobber") ? CliExisting::Keep : CliExisting::Replace;
    if (parser.IsSet("report") && parser.IsSet("json")) {
        parse.error = "Choose either --report or --json.";
        return parse;
    }
    job.mode = parser.IsSet("json")   ? CliOutputMode::Json
        : parser.IsSet("report")      ? CliOutputMode::Report
                                      : CliOutputMode::Text;
    if (parser.IsSet("jobs") && !ReadIntOption(parser, "jobs", job.jobs, parse.error, 1, 64))
        return parse;

    if (!ReadVariantOptions(parser, job, parse.error))
        return parse;

    ConversionSettings& s = job.settings;
    if (!ReadFormat(parser, job, s.format, parse.error))
        return parse;
    // Each format of the run reads the options: --quality then sets the
    // quality of every one of them.
    gWrittenFormats = WrittenFormats(job);
    for (const OutputFormat format : gWrittenFormats) {
        s.format = format;
        for (const OptionGroup& group : groups) {
            if (!group.read(parser, s, parse.error))
                return parse;
        }
    }
    // No desktop stands behind the command line: a system colour (an untouched
    // corner colour is button face) takes its classic value on every machine.
    s.cornerColour = ClassicSystemColour(s.cornerColour);

    parse.outcome = CliParse::Outcome::Run;
    return parse;
}

} // namespace pictaron
