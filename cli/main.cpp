// pictaron-cli: one or many pictures through the conversion pipeline.
#include "app/conversion.h"
#include "app/encodestep.h"
#include "app/outputformat.h"
#include "components/atomicfile.h"
#include "cli/cliargs.h"
#include "cli/clireport.h"
#include "cli/interrupts.h"
#include "cli/orderedruns.h"
#include "cli/outputplan.h"
#include "cli/standardstreams.h"
#include "cli/variantreport.h"
#include "cli/variantrun.h"
#include "components/errors.h"
#include "components/qtbridge.h"
#include "effects/caption.h"
#include "effects/workerthreads.h"
#include "formats/pictureloader.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>

#include <unistd.h>

using namespace pictaron;

namespace {

enum ExitStatus { kDone = 0, kError = 1, kBadUsage = 2, kCancelled = 3 };

// A PPM is read from its mapped file. Should another program shorten the file
// during the run, reading the lost part raises SIGBUS: the run then ends with
// a message naming the file instead of a crash. Nothing is half-written, since
// the output is only opened once the result is complete.
// Each thread that converts names its own input; the helper threads of a
// conversion that runs alone find it in gReadingMessage.
thread_local const char* tReadingMessage = nullptr;
std::atomic<const char*> gReadingMessage{nullptr};

extern "C" void OnFileShortened(int)
{
    const char* message = tReadingMessage ? tReadingMessage : gReadingMessage.load();
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

QString ShownInput(const QString& input)
{
    return IsStandardStream(input) ? QStringLiteral("standard input") : input;
}

QString ShownOutput(const QString& output)
{
    return IsStandardStream(output) ? QStringLiteral("standard output") : output;
}

// The result goes out whole or not at all: the last test of the interrupt
// flag and the rename (or the write to standard output) come under one lock
// that a signal waits for. False when --no-clobber kept an output that
// appeared after the plan was made.
bool Publish(const CliJob& job, const PlannedOutput& planned, const QByteArray& bytes)
{
    if (IsStandardStream(planned.output)) {
        const std::unique_lock<std::mutex> deferred = DeferInterrupts();
        ThrowIfInterrupted();
        WriteToStream(STDOUT_FILENO, bytes);
        return true;
    }
    if (job.outputKind == CliOutputKind::Folder || job.outputKind == CliOutputKind::Pattern) {
        const QString folder = QFileInfo(planned.output).absolutePath();
        if (!QDir().mkpath(folder))
            throw PictaronError(QStringLiteral("Cannot write %1.  The folder %2 cannot be made.")
                                    .arg(QDir::toNativeSeparators(planned.output), QDir::toNativeSeparators(folder)));
    }
    std::unique_lock<std::mutex> deferred;
    AtomicWriteOptions options;
    options.replaceExisting = job.existing == CliExisting::Replace;
    options.beforeRename = [&deferred] {
        deferred = DeferInterrupts();
        ThrowIfInterrupted();
    };
    return WriteFileAtomically(ToUtf8(planned.output), BytesView(bytes), options);
}

// Standard input, during which a signal ends the program at once: nothing is
// open for writing yet, and a read from a terminal would not end by itself.
QByteArray ReadInput()
{
    struct Waiting {
        Waiting() { SetWaitingForInput(true); }
        ~Waiting() { SetWaitingForInput(false); }
    } waiting;
    return ReadStandardInput(PictureLoader::kMaxBytes);
}

QString KeptMessage(const PlannedOutput& planned)
{
    return QStringLiteral("%1 exists; %2 skipped (--no-clobber).")
        .arg(QDir::toNativeSeparators(planned.output), ShownInput(planned.input));
}

// The picture of one input, converted once and dropped (a PPM can stay in
// its file), with what the report says of the source. A picture read only in
// part is still converted; its warnings are for the caller to print.
Bitmap LoadInput(const QString& input, const PictureLoader& loader, CliPictureReport& report, Bitmap& alpha)
{
    report.input = input;
    Bitmap original;
    Texts warnings;
    if (IsStandardStream(input)) {
        const QByteArray bytes = ReadInput();
        original = loader.LoadFromMemory(BytesView(bytes), ToUtf8(ShownInput(input)), &warnings, &alpha);
        report.originalSize = bytes.size();
    } else {
        original = loader.LoadForRun(ToUtf8(input), &warnings, &alpha);
        report.originalSize = QFileInfo(input).size();
    }
    report.warnings += ToQStringList(warnings);
    report.originalDimensions = ToQSize(original.size());
    report.source = SourceTagsOf(original);
    return original;
}

// No work file: results are encoded in memory and written straight out. A
// report says how close a result is to the finished picture.
RunContext ContextFor(const CliJob& job, RunProgress& progress)
{
    return RunContext{progress, InterruptFlag(), QString(),
                      job.mode != CliOutputMode::Text || job.settings.minSimilarity > 0};
}

// One input converted and not yet written: what the report says of it and
// the bytes, or why there are none.
struct Converted {
    CliPictureReport report;
    QByteArray bytes;
    std::exception_ptr failure;
};

// Names the input this thread reads for the message of OnFileShortened, and
// for the helper threads of its kernels too when it is the only conversion.
class ReadingFile {
public:
    ReadingFile(const QString& input, bool only)
        : message_((QStringLiteral("pictaron-cli: ") + input + QStringLiteral(" changed while it was being read.\n"))
                       .toLocal8Bit()),
          only_(only)
    {
        tReadingMessage = message_.constData();
        if (only_)
            gReadingMessage = message_.constData();
    }
    ~ReadingFile()
    {
        tReadingMessage = nullptr;
        if (only_)
            gReadingMessage = nullptr;
    }
    ReadingFile(const ReadingFile&) = delete;
    ReadingFile& operator=(const ReadingFile&) = delete;

private:
    QByteArray message_;
    bool only_;
};

// Converts one input in memory; throws on failure. A run that cannot give
// what was asked for gives no bytes.
QByteArray ConvertPicture(const CliJob& job, const PlannedOutput& planned, const PictureLoader& loader,
                          CliPictureReport& report)
{
    const QString& input = planned.input;
    report.output = planned.output;
    report.format = FactsOf(job.settings.format).key;
    report.indexed = job.settings.format == OutputFormat::Gif
        || (job.settings.format == OutputFormat::Png && job.settings.pngIndexed);
    Bitmap alpha;
    Bitmap original = LoadInput(input, loader, report, alpha);

    RunProgress progress;
    RunContext context = ContextFor(job, progress);
    EncodedResult result;
    try {
        result = RunConversion(std::move(original), job.settings, context, std::move(alpha));
    } catch (const PictaronError& error) {
        throw PictaronError(ShownInput(input) + QStringLiteral(": ") + ToQString(error.message()));
    }
    ThrowIfInterrupted();
    // A step that failed without ending the run (a resize) leaves a result
    // that is not what was asked for.
    if (!result.warnings.isEmpty())
        throw PictaronError(QStringLiteral("%1: %2  %3 was not written.")
                                .arg(ShownInput(input), result.warnings.join(QLatin1Char(' ')),
                                     ShownOutput(planned.output)));
    report.resultDimensions = result.dimensions;
    report.resultSize = result.bytes.size();
    report.colours = result.colours;
    report.metadata = result.metadata;
    report.similarity = result.similarity;
    const ConversionSettings& s = job.settings;
    if ((s.maxBytes > 0 || s.minSimilarity > 0) && HasSearchableSetting(s))
        report.search = CliPictureReport::Search{result.chosenSetting, result.trials, s.maxBytes, s.minSimilarity};
    return result.bytes;
}

// On any thread: a failure is kept for Settle to report in input order.
Converted ConvertInput(const CliJob& job, const PlannedOutput& planned, const PictureLoader& loader, bool only)
{
    Converted converted;
    const ReadingFile reading(planned.input, only);
    try {
        converted.bytes = ConvertPicture(job, planned, loader, converted.report);
    } catch (...) {
        converted.failure = std::current_exception();
    }
    return converted;
}

// On the main thread, in input order: what the conversion said, then the
// output and its report; throws what the conversion threw.
void Settle(const CliJob& job, const PlannedOutput& planned, const Converted& converted, int reportStream)
{
    for (const QString& warning : converted.report.warnings)
        PrintError(warning);
    if (converted.failure)
        std::rethrow_exception(converted.failure);
    if (!Publish(job, planned, converted.bytes)) {
        PrintError(KeptMessage(planned));
        return;
    }
    switch (job.mode) {
    case CliOutputMode::Text:
        break;
    case CliOutputMode::Report:
        WriteToStream(reportStream, ReportText(converted.report).toLocal8Bit());
        break;
    case CliOutputMode::Json:
        WriteToStream(reportStream, JsonLine(converted.report));
        break;
    }
}

// Makes the variants of one input (its planned outputs) from one decoding of
// it and prints what --html or --json asks; throws on failure.
void ConvertVariants(const CliJob& job, const QList<PlannedOutput>& outputs, const PictureLoader& loader,
                     int reportStream)
{
    CliPictureReport report;
    Bitmap alpha;
    const ReadingFile reading(outputs.front().input, true);
    const Bitmap original = LoadInput(outputs.front().input, loader, report, alpha);
    for (const QString& warning : report.warnings)
        PrintError(warning);
    RunProgress progress;
    RunContext context = ContextFor(job, progress);
    const auto publish = [&job](const PlannedOutput& planned, const QByteArray& bytes) {
        ThrowIfInterrupted();
        const bool written = Publish(job, planned, bytes);
        if (!written)
            PrintError(KeptMessage(planned));
        return written;
    };
    QStringList notes;
    const QList<MadeVariant> made = MakeVariants(job, outputs, original, alpha, context, publish, notes);
    for (const QString& note : notes)
        PrintError(note);
    if (job.variants.html)
        WriteToStream(reportStream, PictureElement(made, job.variants.sizes));
    else if (job.mode == CliOutputMode::Json)
        WriteToStream(reportStream, VariantJsonLine(report.input, report.originalSize, made, report.warnings + notes));
}

// Help and version text; a stream that cannot take it is an error too.
int PrintText(FILE* stream, const QByteArray& text)
{
    if (std::fputs(text.constData(), stream) < 0 || std::fflush(stream) != 0) {
        PrintError(QStringLiteral("Cannot write to standard %1.  %2")
                       .arg(stream == stdout ? QStringLiteral("output") : QStringLiteral("error"),
                            QString::fromLocal8Bit(std::strerror(errno))));
        return kError;
    }
    return kDone;
}

// Runs the planned outputs in order and gives the exit status.
int RunPlan(const CliJob& job, const OutputPlan& plan)
{
    // With the picture on standard output, what is printed about it goes to
    // standard error.
    const int reportStream = job.outputKind == CliOutputKind::StandardOutput ? STDERR_FILENO : STDOUT_FILENO;
    if (job.mode != CliOutputMode::Text && reportStream == STDOUT_FILENO && StandardOutputClosed()) {
        PrintError(QStringLiteral("Standard output is closed, so there is nowhere to print %1; nothing written.")
                       .arg(job.mode == CliOutputMode::Json ? QStringLiteral("--json") : QStringLiteral("--report")));
        return kError;
    }
    if (job.outputKind == CliOutputKind::StandardOutput && StandardOutputClosed()) {
        PrintError(QStringLiteral("Standard output is closed, so -o - has nowhere to go; nothing written."));
        return kError;
    }

    const bool variants = !job.variants.IsEmpty();
    const PictureLoader loader(variants ? VariantLoadOptions(job) : LoadOptionsFor(job.settings));
    // One output, or every variant of one input.
    QList<QList<PlannedOutput>> groups;
    for (const PlannedOutput& planned : plan.outputs) {
        if (variants && !groups.isEmpty() && groups.back().front().input == planned.input)
            groups.back() << planned;
        else
            groups.append({planned});
    }
    const auto allKept = [](const QList<PlannedOutput>& outputs) {
        return std::all_of(outputs.begin(), outputs.end(), [](const PlannedOutput& o) { return o.keepExisting; });
    };
    // The variants of one input are written as they are made, so such runs
    // convert one input at a time.
    const int count = static_cast<int>(groups.size());
    const int jobs = variants ? 1 : std::min(job.jobs > 0 ? job.jobs : WorkerThreadCount(), count);
    // Pictures side by side take the processors their kernels would have.
    if (jobs > 1)
        LimitWorkerThreads(1);
    const auto convert = [&](int i) {
        const QList<PlannedOutput>& outputs = groups[i];
        return variants || allKept(outputs) ? Converted{} : ConvertInput(job, outputs.front(), loader, jobs == 1);
    };

    int status = kDone;
    std::optional<int> ended;  // the status of a run that stops early
    const auto stop = [&](int last) {
        ended = status == kDone ? last : status;
        return false;
    };
    const auto finish = [&](int i, std::optional<Converted> converted) {
        const QList<PlannedOutput>& outputs = groups[i];
        const PlannedOutput& planned = outputs.front();
        if (!converted) {
            PrintError(QStringLiteral("Interrupted; %1 and the outputs after it were not written.")
                           .arg(ShownOutput(planned.output)));
            return stop(kCancelled);
        }
        for (const PlannedOutput& kept : outputs)
            if (kept.keepExisting)
                PrintError(KeptMessage(kept));
        if (allKept(outputs))
            return true;
        try {
            if (variants)
                ConvertVariants(job, outputs, loader, reportStream);
            else
                Settle(job, planned, *converted, reportStream);
        } catch (const RunDeclined& declined) {
            PrintError(QStringLiteral("%1: %2; nothing written.").arg(ShownInput(planned.input), ToQString(declined.reason())));
            if (status == kDone)
                status = kCancelled;
        } catch (const RunCancelled&) {
            if (InterruptFlag().IsCancelled()) {
                // Variants written before the signal are whole and stay.
                PrintError(variants ? QStringLiteral("Interrupted; the variants of %1 not yet written were not written.")
                                          .arg(ShownInput(planned.input))
                                    : QStringLiteral("Interrupted; %1 was not written.").arg(ShownOutput(planned.output)));
                return stop(kCancelled);
            }
            PrintError(QStringLiteral("%1: the run was cancelled; nothing written.").arg(ShownInput(planned.input)));
            if (status == kDone)
                status = kCancelled;
        } catch (const StreamWriteError& error) {
            // Nothing more printed would arrive.
            PrintError(ToQString(error.message()));
            ended = kError;
            return false;
        } catch (const PictaronError& error) {
            PrintError(ToQString(error.message()));
            status = kError;
        } catch (const std::bad_alloc&) {
            PrintError(QStringLiteral("%1: There is not enough memory to finish this picture; nothing written.")
                           .arg(ShownInput(planned.input)));
            status = kError;
        }
        return true;
    };
    RunInOrder<Converted>(count, jobs, convert, finish, [] { return !InterruptFlag().IsCancelled(); });
    return ended.value_or(status);
}

} // namespace

int main(int argc, char* argv[])
{
    GuardStandardDescriptors();
    // Before any other thread: every thread inherits the blocked signals.
    StartInterruptWatch();
    std::signal(SIGBUS, OnFileShortened);
    // A reader that went away is a write error with a message, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    // Captions are drawn by the graphics toolkit, which needs a graphics
    // application; the caption module makes one on the offscreen platform,
    // without any display. Only runs that draw a caption load the toolkit.
    qInstallMessageHandler(QtMessage);
    // Nothing else needs an application object: the engine uses plain
    // threads and no event loop, and making one costs more than a small run.
    CaptionApplication app;
    if (DrawsCaption(argc, argv)) {
        try {
            app = MakeCaptionApplication(argc, argv);
        } catch (const PictaronError& error) {
            PrintError(ToQString(error.message()));
            return kError;
        }
    } else {
        // The user's language and character set for the system's own texts
        // (strerror). The other categories stay "C": nothing here formats
        // through them, and each costs every run a file to load.
        std::setlocale(LC_CTYPE, "");
        std::setlocale(LC_MESSAGES, "");
    }

    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CliParse parse = ParseCliArguments(arguments);
    switch (parse.outcome) {
    case CliParse::Outcome::Help:
        return PrintText(stdout, CliUsage().toLocal8Bit());
    case CliParse::Outcome::Version:
        return PrintText(stdout, QByteArrayLiteral("pictaron-cli " PICTARON_VERSION "\n"));
    case CliParse::Outcome::BadUsage:
        PrintError(parse.error);
        std::fputs(qPrintable(CliUsage()), stderr);
        return kBadUsage;
    case CliParse::Outcome::Run:
        break;
    }

    // Every name first: a run that would lose a file writes none.
    const OutputPlan plan = PlanOutputs(parse.job);
    if (!plan.clashes.isEmpty()) {
        for (const QString& clash : plan.clashes)
            PrintError(clash);
        return kError;
    }
    return RunPlan(parse.job, plan);
}
