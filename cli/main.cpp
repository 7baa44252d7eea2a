// pictaron-cli: one or many pictures through the conversion pipeline.
#include "app/conversion.h"
#include "components/atomicfile.h"
#include "cli/cliargs.h"
#include "cli/clireport.h"
#include "components/errors.h"
#include "formats/pictureloader.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include <unistd.h>

using namespace pictaron;

namespace {

enum ExitStatus { kDone = 0, kError = 1, kBadUsage = 2, kCancelled = 3 };

CancelFlag gInterrupted;

extern "C" void OnInterrupt(int)
{
    gInterrupted.Cancel();
}

// A PPM is read from its mapped file. Should another program shorten the file
// during the run, reading the lost part raises SIGBUS: the run then ends with
// a message naming the file instead of a crash. Nothing is half-written, since
// the output is only opened once the result is complete.
std::atomic<const char*> gReadingMessage{nullptr};

extern "C" void OnFileShortened(int)
{
    const char* message = gReadingMessage.load();
    if (!message)
        message = "pictaron-cli: a file changed while it was being read.\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, std::strlen(message));
    _exit(kError);
}

void PrintError(const QString& message)
{
    std::fprintf(stderr, "pictaron-cli: %s\n", qPrintable(message));
}

// Standard error carries the program's own messages. Qt's warnings are meant
// for developers (the offscreen platform, for one, notes a missing runtime
// folder), so only its critical messages get through.
void QtMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        PrintError(QStringLiteral("Qt: ") + message);
}

bool DrawsCaption(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (argument == "--caption" || argument.starts_with("--caption="))
            return true;
    }
    return false;
}

bool SameFile(const QString& a, const QString& b)
{
    const QFileInfo first(a), second(b);
    return first.exists() && second.exists() && first.canonicalFilePath() == second.canonicalFilePath();
}

// Converts one input and writes its output; throws on failure.
void ConvertOne(const CliJob& job, const QString& input, const PictureLoader& loader)
{
    CliPictureReport report;
    report.input = input;
    report.output = OutputPathFor(job, input);
    report.format = job.settings.format == OutputFormat::Gif ? QStringLiteral("gif") : QStringLiteral("jpeg");
    if (job.outputIsFolder && SameFile(report.output, input))
        throw PictaronError(QStringLiteral("%1 would overwrite its own input; name it as the output to replace it.")
                                .arg(report.output));

    if (job.outputIsFolder)
        QDir().mkpath(job.output);
    // Converted once and dropped: a PPM can stay in its file.
    QImage original = loader.LoadForRun(input, &report.warnings);
    report.originalDimensions = original.size();
    report.source = SourceTagsOf(original);
    report.originalSize = QFileInfo(input).size();
    // A picture read only in part is still converted; the user hears of it.
    for (const QString& warning : report.warnings)
        PrintError(warning);

    // No work file: the result is encoded in memory and written straight out.
    RunProgress progress;
    RunContext context{progress, gInterrupted, QString()};
    EncodedResult result;
    try {
        result = RunConversion(std::move(original), job.settings, context);
    } catch (const PictaronError& error) {
        throw PictaronError(input + QStringLiteral(": ") + error.message());
    }
    WriteFileAtomically(report.output, result.bytes);
    for (const QString& warning : result.warnings)
        PrintError(input + QStringLiteral(": ") + warning);
    report.resultDimensions = result.dimensions;
    report.resultSize = result.bytes.size();
    report.colours = result.colours;

    switch (job.mode) {
    case CliOutputMode::Text:
        break;
    case CliOutputMode::Report:
        std::fputs(qPrintable(ReportText(report)), stdout);
        break;
    case CliOutputMode::Json:
        std::fputs(JsonLine(report).constData(), stdout);
        break;
    }
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGBUS, OnFileShortened);
    // Captions are drawn with QPainter, which needs a GUI application; the
    // offscreen platform gives it one without any display. Only runs that
    // draw a caption pay for its fonts and platform plugin.
    qInstallMessageHandler(QtMessage);
    std::unique_ptr<QCoreApplication> app;
    if (DrawsCaption(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanti"));
    QCoreApplication::setApplicationName(QStringLiteral("Pictaron"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PICTARON_VERSION));

    const CliParse parse = ParseCliArguments(QCoreApplication::arguments());
    switch (parse.outcome) {
    case CliParse::Outcome::Help:
        std::fputs(qPrintable(CliUsage()), stdout);
        return kDone;
    case CliParse::Outcome::Version:
        std::printf("pictaron-cli %s\n", PICTARON_VERSION);
        return kDone;
    case CliParse::Outcome::BadUsage:
        PrintError(parse.error);
        std::fputs(qPrintable(CliUsage()), stderr);
        return kBadUsage;
    case CliParse::Outcome::Run:
        break;
    }

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);

    const PictureLoader loader(LoadOptionsFor(parse.job.settings));
    int status = kDone;
    for (const QString& input : parse.job.inputs) {
        const QByteArray shortened =
            (QStringLiteral("pictaron-cli: ") + input + QStringLiteral(" changed while it was being read.\n")).toLocal8Bit();
        gReadingMessage = shortened.constData();
        try {
            ConvertOne(parse.job, input, loader);
        } catch (const RunCancelled&) {
            if (status == kDone)
                status = kCancelled;
            if (gInterrupted.IsCancelled())
                break;
        } catch (const PictaronError& error) {
            PrintError(error.message());
            status = kError;
        }
        gReadingMessage = nullptr;
    }
    return status;
}
