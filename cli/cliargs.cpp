#include "cli/cliargs.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

namespace pictaron {

namespace {

// Reads an integer option; false when it is present but not a whole number.
bool ReadInt(const QCommandLineParser& parser, const QString& name, int& value, QString& error)
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

bool IsFolderName(const QString& output)
{
    return output.endsWith(QLatin1Char('/')) || QFileInfo(output).isDir();
}

} // namespace

QString CliUsage()
{
    return QStringLiteral(
        "Usage: pictaron-cli [OPTIONS] INPUT -o OUTPUT\n"
        "       pictaron-cli [OPTIONS] INPUT... -o FOLDER/\n"
        "\n"
        "Converts pictures for web pages as Pictaron does.\n"
        "\n"
        "Output:\n"
        "  -o, --output PATH       the result file, or a folder for several inputs\n"
        "  --format jpeg|gif       output format (default: from OUTPUT's extension)\n"
        "  --report                print the picture report and download times\n"
        "  --json                  print one JSON object per input\n"
        "\n"
        "JPEG:\n"
        "  --quality N             1..100 (default 80)\n"
        "  --progressive           progressive encoding\n"
        "  --greyscale             greyscale picture\n"
        "\n"
        "  -h, --help              show this text\n"
        "  --version               show the version\n"
        "\n"
        "Exit status: 0 done, 1 error, 2 bad usage, 3 cancelled.\n");
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
        {QStringLiteral("quality"), QString(), QStringLiteral("n")},
        {QStringLiteral("progressive"), QString()},
        {QStringLiteral("greyscale"), QString()},
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {QStringLiteral("version"), QString()},
    });
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

    if (!ReadInt(parser, QStringLiteral("quality"), s.jpegQuality, parse.error))
        return parse;
    s.jpegQuality = ClampJpegQuality(s.jpegQuality);
    s.progressive = parser.isSet(QStringLiteral("progressive"));
    s.greyscale = parser.isSet(QStringLiteral("greyscale"));

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
