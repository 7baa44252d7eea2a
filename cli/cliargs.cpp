#include "cli/cliargs.h"

#include "app/outputformat.h"
#include "cli/optiongroups.h"
#include "cli/outputplan.h"
#include "cli/standardstreams.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace pictaron {

namespace {

// The option groups, in the order of the usage text and of reading.
QList<OptionGroup> OptionGroups()
{
    return {GeometryOptions(), ToneOptions(), DecorationOptions(), QualityOptions(), JpegOptions(),
            GifOptions(),      PngOptions(),  WebpOptions(),       AvifOptions(),    TargetOptions(),
            SourceOptions()};
}

// The formats of the command line being read: its one format, or each of
// --formats. An option of any of them is taken (CheckFormatOption).
QList<OutputFormat> gWrittenFormats;

// "a, b and c", or with "or".
QString Listed(QStringList words, const QString& last)
{
    const QString tail = words.takeLast();
    return words.isEmpty() ? tail
                           : words.join(QStringLiteral(", ")) + QLatin1Char(' ') + last + QLatin1Char(' ') + tail;
}

QStringList FormatKeys()
{
    QStringList keys;
    for (const OutputFormatFacts& facts : OutputFormats())
        keys << facts.key;
    return keys;
}

// What each format's results are named with.
QStringList ResultExtensions()
{
    QStringList extensions;
    for (const OutputFormatFacts& facts : OutputFormats())
        extensions << facts.extension;
    return extensions;
}

// Every extension that names a format, as --format and OUTPUT take them.
QStringList FormatExtensions()
{
    QStringList extensions;
    for (const OutputFormatFacts& facts : OutputFormats())
        for (const QString& extension : facts.extensions)
            extensions << QLatin1Char('.') + extension;
    return extensions;
}

// --format, else the extension of a file or pattern; JPEG when neither names one.
bool ReadFormat(const QCommandLineParser& parser, const CliJob& job, OutputFormat& format, QString& error)
{
    if (parser.isSet(QStringLiteral("format"))) {
        const QString word = parser.value(QStringLiteral("format"));
        const std::optional<OutputFormat> named = FormatForKey(word);
        if (!named) {
            error = QStringLiteral("--format must be %1, not \"%2\".")
                        .arg(Listed(FormatKeys(), QStringLiteral("or")), word);
            return false;
        }
        format = *named;
    } else if (job.outputKind == CliOutputKind::File || job.outputKind == CliOutputKind::Pattern) {
        format = FormatForFileName(job.output).value_or(OutputFormat::Jpeg);
    }
    return true;
}

bool IsFolderName(const QString& output)
{
    return output.endsWith(QLatin1Char('/')) || QFileInfo(output).isDir();
}

CliOutputKind KindOf(const QString& output)
{
    if (IsStandardStream(output))
        return CliOutputKind::StandardOutput;
    if (IsOutputPattern(output))
        return CliOutputKind::Pattern;
    return IsFolderName(output) ? CliOutputKind::Folder : CliOutputKind::File;
}

// Rules about where the inputs and the outputs go; an empty text when the
// job is sound.
QString CheckOutputs(const CliJob& job)
{
    const bool several = job.outputKind == CliOutputKind::Folder || job.outputKind == CliOutputKind::Pattern;
    if (job.inputs.size() > 1 && !several)
        return job.outputKind == CliOutputKind::StandardOutput
            ? QStringLiteral("-o - writes one picture to standard output; name one input.")
            : QStringLiteral("Several inputs need an output folder (-o FOLDER/) or a name pattern "
                             "(-o 'FOLDER/{name}.{ext}').");
    if (job.inputs.contains(QStringLiteral("-"))) {
        if (job.inputs.size() > 1)
            return QStringLiteral("Standard input (-) is read once; it must be the only input.");
        if (several)
            return QStringLiteral("Standard input (-) has no name to make an output name from; name the output "
                                  "file (-o FILE, or -o - for standard output).");
    }
    if (job.outputKind == CliOutputKind::Pattern) {
        const QString unknown = UnknownPlaceholder(job.output);
        if (!unknown.isEmpty())
            return QStringLiteral("-o %1: %2 is none of {name}, {dir} and {ext}.").arg(job.output, unknown);
    }
    return QString();
}

} // namespace

bool ReadIntOption(const QCommandLineParser& parser, const QString& name, int& value, QString& error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int parsed = parser.value(name).toInt(&ok);
    if (!ok) {
        error = QStringLiteral("--%1 needs a whole number, not \"%2\".").arg(name, parser.value(name));
        return false;
    }
    value = parsed;
    return true;
}

bool ReadIntOption(const QCommandLineParser& parser, const QString& name, int& value, QString& error, int low,
                   int high)
{
    int parsed = value;
    if (!ReadIntOption(parser, name, parsed, error))
        return false;
    if (parsed < low || parsed > high) {
        error = QStringLiteral("--%1 needs a whole number from %2 to %3, not \"%4\".")
                    .arg(name)
                    .arg(low)
                    .arg(high)
                    .arg(parser.value(name));
        return false;
    }
    value = parsed;
    return true;
}

bool CheckFormatOption(const QCommandLineParser& parser, const QString& name, OutputFormat chosen,
                       std::initializer_list<OutputFormat> formats, QString& error)
{
    const auto takes = [formats](OutputFormat format) {
        return std::find(formats.begin(), formats.end(), format) != formats.end();
    };
    if (!parser.isSet(name) || takes(chosen) || std::any_of(gWrittenFormats.begin(), gWrittenFormats.end(), takes))
        return true;
    QStringList names;
    for (const OutputFormat format : formats)
        names << FactsOf(format).name;
    QStringList written;
    for (const OutputFormat format : gWrittenFormats)
        written << FactsOf(format).name;
    error = QStringLiteral("--%1 is for %2 results, but this run writes %3; --format, --formats or the output's "
                           "extension chooses the format.")
                .arg(name, Listed(names, QStringLiteral("and")), Listed(written, QStringLiteral("and")));
    return false;
}

bool AnySet(const QCommandLineParser& parser, const QStringList& names)
{
    return std::any_of(names.begin(), names.end(), [&parser](const QString& name) { return parser.isSet(name); });
}

bool ReadColourOption(const QCommandLineParser& parser, const QString& name, TColor& value, QString& error)
{
    if (!parser.isSet(name))
        return true;
    QString text = parser.value(name);
    if (text.startsWith(QLatin1Char('#')))
        text.remove(0, 1);
    bool ok = false;
    const uint rgb = text.toUInt(&ok, 16);
    if (!ok || text.size() != 6) {
        error = QStringLiteral("--%1 needs a colour as six hexadecimal digits (RRGGBB), not \"%2\".")
                    .arg(name, parser.value(name));
        return false;
    }
    value = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;  // 0x00BBGGRR
    return true;
}

bool ReadChoiceOption(const QCommandLineParser& parser, const QString& name, const QStringList& choices, int& value,
                      QString& error)
{
    if (!parser.isSet(name))
        return true;
    const int index = choices.indexOf(parser.value(name).toLower());
    if (index < 0) {
        error = QStringLiteral("--%1 must be %2, not \"%3\".")
                    .arg(name, choices.join(QStringLiteral(", ")), parser.value(name));
        return false;
    }
    value = index;
    return true;
}

QString CliUsage()
{
    QString usage = QStringLiteral(
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
        "  OUTPUT a file or -); TGA and PCD, which have no signature, need a file name.\n")
                        .arg(Listed(FormatKeys(), QStringLiteral("or")), Listed(FormatExtensions(), QStringLiteral("or")),
                             Listed(ResultExtensions(), QStringLiteral("or")));
    usage += QLatin1Char('\n') + VariantUsage();
    for (const OptionGroup& group : OptionGroups())
        usage += QLatin1Char('\n') + group.usage();
    usage += QStringLiteral(
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

CliParse ParseCliArguments(const QStringList& arguments)
{
    CliParse parse;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")}, QString(), QStringLiteral("path")},
        {QStringLiteral("format"), QString(), QStringLiteral("format")},
        {QStringLiteral("overwrite"), QString()},
        {QStringLiteral("no-clobber"), QString()},
        {QStringLiteral("report"), QString()},
        {QStringLiteral("json"), QString()},
        {QStringLiteral("jobs"), QString(), QStringLiteral("n")},
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {QStringLiteral("version"), QString()},
    });
    const QList<OptionGroup> groups = OptionGroups();
    parser.addOptions(VariantOptions());
    for (const OptionGroup& group : groups)
        parser.addOptions(group.options());
    parser.addPositionalArgument(QStringLiteral("input"), QString());

    if (!parser.parse(arguments)) {
        parse.error = parser.errorText();
        return parse;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        parse.outcome = CliParse::Outcome::Help;
        return parse;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        parse.outcome = CliParse::Outcome::Version;
        return parse;
    }

    CliJob& job = parse.job;
    job.inputs = parser.positionalArguments();
    if (job.inputs.isEmpty()) {
        parse.error = QStringLiteral("No input picture given.");
        return parse;
    }
    if (!parser.isSet(QStringLiteral("output"))) {
        parse.error = QStringLiteral("No output given (-o OUTPUT).");
        return parse;
    }
    job.output = parser.value(QStringLiteral("output"));
    job.outputKind = KindOf(job.output);
    parse.error = CheckOutputs(job);
    if (!parse.error.isEmpty())
        return parse;
    if (parser.isSet(QStringLiteral("overwrite")) && parser.isSet(QStringLiteral("no-clobber"))) {
        parse.error = QStringLiteral("Choose either --overwrite or --no-clobber.");
        return parse;
    }
    job.existing = parser.isSet(QStringLiteral("no-clobber")) ? CliExisting::Keep : CliExisting::Replace;
    if (parser.isSet(QStringLiteral("report")) && parser.isSet(QStringLiteral("json"))) {
        parse.error = QStringLiteral("Choose either --report or --json.");
        return parse;
    }
    job.mode = parser.isSet(QStringLiteral("json"))     ? CliOutputMode::Json
        : parser.isSet(QStringLiteral("report"))        ? CliOutputMode::Report
                                                        : CliOutputMode::Text;
    if (parser.isSet(QStringLiteral("jobs")) && !ReadIntOption(parser, QStringLiteral("jobs"), job.jobs, parse.error, 1, 64))
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
