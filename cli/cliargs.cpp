#include "cli/cliargs.h"

#include "cli/optiongroups.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace pictaron {

namespace {

// The option groups, in the order of the usage text.
QList<OptionGroup> OptionGroups()
{
    return {GeometryOptions(), ToneOptions(), DecorationOptions(), JpegOptions(), GifOptions(), SourceOptions()};
}

bool IsFolderName(const QString& output)
{
    return output.endsWith(QLatin1Char('/')) || QFileInfo(output).isDir();
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
        "\n"
        "Converts pictures for web pages as Pictaron " PICTARON_VERSION " does.\n"
        "\n"
        "Output:\n"
        "  -o, --output PATH       the result file, or a folder for several inputs\n"
        "  --format jpeg|gif       output format (default: from OUTPUT's extension)\n"
        "  --report                print the picture report and download times\n"
        "  --json                  print one JSON object per input\n");
    for (const OptionGroup& group : OptionGroups())
        usage += QLatin1Char('\n') + group.usage();
    usage += QStringLiteral(
        "\n"
        "  -h, --help              show this text\n"
        "  --version               show the version\n"
        "\n"
        "Exit status: 0 done, 1 error, 2 bad usage, 3 cancelled.\n"
        "Environment: PICTARON_THREADS=N runs per-row work on N threads (default: one per\n"
        "processor thread, at most 8; 1 runs everything on one thread).\n");
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
        {QStringLiteral("report"), QString()},
        {QStringLiteral("json"), QString()},
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {QStringLiteral("version"), QString()},
    });
    const QList<OptionGroup> groups = OptionGroups();
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
    job.outputIsFolder = IsFolderName(job.output);
    if (job.inputs.size() > 1 && !job.outputIsFolder) {
        parse.error = QStringLiteral("Several inputs need an output folder (-o FOLDER/).");
        return parse;
    }
    if (parser.isSet(QStringLiteral("report")) && parser.isSet(QStringLiteral("json"))) {
        parse.error = QStringLiteral("Choose either --report or --json.");
        return parse;
    }
    job.mode = parser.isSet(QStringLiteral("json"))     ? CliOutputMode::Json
        : parser.isSet(QStringLiteral("report"))        ? CliOutputMode::Report
                                                        : CliOutputMode::Text;

    ConversionSettings& s = job.settings;
    if (parser.isSet(QStringLiteral("format"))) {
        const QString format = parser.value(QStringLiteral("format")).toLower();
        if (format == QLatin1String("jpeg") || format == QLatin1String("jpg"))
            s.format = OutputFormat::Jpeg;
        else if (format == QLatin1String("gif"))
            s.format = OutputFormat::Gif;
        else {
            parse.error = QStringLiteral("--format must be jpeg or gif, not \"%1\".").arg(format);
            return parse;
        }
    } else if (!job.outputIsFolder && job.output.endsWith(QLatin1String(".gif"), Qt::CaseInsensitive)) {
        s.format = OutputFormat::Gif;
    }

    for (const OptionGroup& group : groups) {
        if (!group.read(parser, s, parse.error))
            return parse;
    }
    // No desktop stands behind the command line: a system colour (an untouched
    // corner colour is button face) takes its classic value on every machine.
    s.cornerColour = ClassicSystemColour(s.cornerColour);

    parse.outcome = CliParse::Outcome::Run;
    return parse;
}

QString OutputPathFor(const CliJob& job, const QString& input)
{
    if (!job.outputIsFolder)
        return job.output;
    const QString extension = job.settings.format == OutputFormat::Gif ? QStringLiteral("gif") : QStringLiteral("jpg");
    return QDir(job.output).filePath(QFileInfo(input).completeBaseName() + QLatin1Char('.') + extension);
}

} // namespace pictaron
