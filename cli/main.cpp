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
#include "components/pathnames.h"
#include "components/pathutils.h"
#include "effects/caption.h"
#include "effects/workerthreads.h"
#include "formats/pictureloader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

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

void PrintError(const std::string& message)
{
    std::fprintf(stderr, "pictaron-cli: %s\n", message.c_str());
}

// The graphics toolkit's critical messages, labelled as its own. One it
// cannot go on after (no platform to draw on) ends the run as an error.
void ToolkitMessage(const std::string& message, bool fatal)
{
    PrintError("Qt: " + message);
    if (fatal)
        _exit(kError);
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

std::string ShownInput(const std::string& input)
{
    return IsStandardStream(input) ? "standard input" : input;
}

std::string ShownOutput(const std::string& output)
{
    return IsStandardStream(output) ? "standard output" : output;
}

// The result goes out whole or not at all: the last test of the interrupt
// flag and the rename (or the write to standard output) come under one lock
// that a signal waits for. False when --no-clobber kept an output that
// appeared after the plan was made.
bool Publish(const CliJob& job, const PlannedOutput& planned, std::string_view bytes)
{
    if (IsStandardStream(planned.output)) {
        const std::unique_lock<std::mutex> deferred = DeferInterrupts();
        ThrowIfInterrupted();
        WriteToStream(STDOUT_FILENO, bytes);
        return true;
    }
    if (job.outputKind == CliOutputKind::Folder || job.outputKind == CliOutputKind::Pattern) {
        const std::string folder(FolderOf(AbsolutePath(planned.output)));
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            throw PictaronError(
                Substitute("Cannot write %1.  The folder %2 cannot be made.", planned.output, folder));
    }
    std::unique_lock<std::mutex> deferred;
    AtomicWriteOptions options;
    options.replaceExisting = job.existing == CliExisting::Replace;
    options.beforeRename = [&deferred] {
        deferred = DeferInterrupts();
        ThrowIfInterrupted();
    };
    return WriteFileAtomically(planned.output, bytes, options);
}

// Standard input, during which a signal ends the program at once: nothing is
// open for writing yet, and a read from a terminal would not end by itself.
std::string ReadInput()
{
    struct Waiting {
        Waiting() { SetWaitingForInput(true); }
        ~Waiting() { SetWaitingForInput(false); }
    } waiting;
    return ReadStandardInput(PictureLoader::kMaxBytes);
}

std::string KeptMessage(const PlannedOutput& planned)
{
    return Substitute("%1 exists; %2 skipped (--no-clobber).", planned.output, ShownInput(planned.input));
}

// The picture of one input, converted once and dropped (a PPM can stay in
// its file), with what the report says of the source. A picture read only in
// part is still converted; its warnings are for the caller to print.
Bitmap LoadInput(const std::string& input, const PictureLoader& loader, CliPictureReport& report, Bitmap& alpha)
{
    report.input = input;
    Bitmap original;
    Texts warnings;
    if (IsStandardStream(input)) {
        const std::string bytes = ReadInput();
        original = loader.LoadFromMemory(bytes, ShownInput(input), &warnings, &alpha);
        report.originalSize = static_cast<std::int64_t>(bytes.size());
    } else {
        original = loader.LoadForRun(input, &warnings, &alpha);
        report.originalSize = FileSize(input);
    }
    report.warnings.insert(report.warnings.end(), warnings.begin(), warnings.end());
    report.originalDimensions = original.size();
    report.source = SourceTagsOf(original);
    return original;
}

// No work file: results are encoded in memory and written straight out. A
// report says how close a result is to the finished picture.
RunContext ContextFor(const CliJob& job, RunProgress& progress)
{
    return RunContext{progress, InterruptFlag(), std::string(),
                      job.mode != CliOutputMode::Text || job.settings.minSimilarity > 0};
}

// One input converted and not yet written: what the report says of it and
// the bytes, or why there are none.
struct Converted {
    CliPictureReport report;
    SharedBytes bytes;  // the encoder's result
    std::exception_ptr failure;
};

// Names the input this thread reads for the message of OnFileShortened, and
// for the helper threads of its kernels too when it is the only conversion.
class ReadingFile {
public:
    ReadingFile(const std::string& input, bool only)
        : message_("pictaron-cli: " + input + " changed while it was being read.\n"), only_(only)
    {
        tReadingMessage = message_.c_str();
        if (only_)
            gReadingMessage = message_.c_str();
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
    std::string message_;
    bool only_;
};

// Converts one input in memory; throws on failure. A run that cannot give
// what was asked for gives no bytes.
SharedBytes ConvertPicture(const CliJob& job, const PlannedOutput& planned, const PictureLoader& loader,
                          CliPictureReport& report)
{
    const std::string& input = planned.input;
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
        throw PictaronError(ShownInput(input) + ": " + error.message());
    }
    ThrowIfInterrupted();
    // A step that failed without ending the run (a resize) leaves a result
    // that is not what was asked for.
    if (!result.warnings.empty())
        throw PictaronError(Substitute("%1: %2  %3 was not written.", ShownInput(input),
                                       JoinTexts(result.warnings, " "), ShownOutput(planned.output)));
    report.resultDimensions = result.dimensions;
    report.resultSize = static_cast<std::int64_t>(result.bytes.size());
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
    for (const std::string& warning : converted.report.warnings)
        PrintError(warning);
    if (converted.failure)
        std::rethrow_exception(converted.failure);
    if (!Publish(job, planned, converted.bytes.view())) {
        PrintError(KeptMessage(planned));
        return;
    }
    switch (job.mode) {
    case CliOutputMode::Text:
        break;
    case CliOutputMode::Report:
        WriteToStream(reportStream, ReportText(converted.report));
        break;
    case CliOutputMode::Json:
        WriteToStream(reportStream, JsonLine(converted.report));
        break;
    }
}

// Makes the variants of one input (its planned outputs) from one decoding of
// it and prints what --html or --json asks; throws on failure.
void ConvertVariants(const CliJob& job, const std::vector<PlannedOutput>& outputs, const PictureLoader& loader,
                     int reportStream)
{
    CliPictureReport report;
    Bitmap alpha;
    const ReadingFile reading(outputs.front().input, true);
    const Bitmap original = LoadInput(outputs.front().input, loader, report, alpha);
    for (const std::string& warning : report.warnings)
        PrintError(warning);
    RunProgress progress;
    RunContext context = ContextFor(job, progress);
    const auto publish = [&job](const PlannedOutput& planned, std::string_view bytes) {
        ThrowIfInterrupted();
        const bool written = Publish(job, planned, bytes);
        if (!written)
            PrintError(KeptMessage(planned));
        return written;
    };
    Texts notes;
    const std::vector<MadeVariant> made = MakeVariants(job, outputs, original, alpha, context, publish, notes);
    for (const std::string& note : notes)
        PrintError(note);
    if (job.variants.html) {
        WriteToStream(reportStream, PictureElement(made, job.variants.sizes));
    } else if (job.mode == CliOutputMode::Json) {
        Texts said = report.warnings;
        said.insert(said.end(), notes.begin(), notes.end());
        WriteToStream(reportStream, VariantJsonLine(report.input, report.originalSize, made, said));
    }
}

// The user's language and character set for the system's own texts
// (strerror). The other categories stay "C": nothing here formats through
// them, and each costs a file to load. A caption run has them from the
// toolkit's application, which sets every category.
void UseSystemLanguage()
{
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
}

// Help and version text; a stream that cannot take it is an error too.
int PrintText(FILE* stream, const std::string& text)
{
    if (std::fputs(text.c_str(), stream) < 0 || std::fflush(stream) != 0) {
        const int error = errno;
        UseSystemLanguage();
        errno = error;
        PrintError(Substitute("Cannot write to standard %1.  %2", stream == stdout ? "output" : "error",
                              std::strerror(errno)));
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
        PrintError(Substitute("Standard output is closed, so there is nowhere to print %1; nothing written.",
                              job.mode == CliOutputMode::Json ? "--json" : "--report"));
        return kError;
    }
    if (job.outputKind == CliOutputKind::StandardOutput && StandardOutputClosed()) {
        PrintError("Standard output is closed, so -o - has nowhere to go; nothing written.");
        return kError;
    }

    const bool variants = !job.variants.IsEmpty();
    const PictureLoader loader(variants ? VariantLoadOptions(job) : LoadOptionsFor(job.settings));
    // One output, or every variant of one input.
    std::vector<std::vector<PlannedOutput>> groups;
    for (const PlannedOutput& planned : plan.outputs) {
        if (variants && !groups.empty() && groups.back().front().input == planned.input)
            groups.back().push_back(planned);
        else
            groups.push_back({planned});
    }
    const auto allKept = [](const std::vector<PlannedOutput>& outputs) {
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
        const std::vector<PlannedOutput>& outputs = groups[i];
        return variants || allKept(outputs) ? Converted{} : ConvertInput(job, outputs.front(), loader, jobs == 1);
    };

    int status = kDone;
    std::optional<int> ended;  // the status of a run that stops early
    const auto stop = [&](int last) {
        ended = status == kDone ? last : status;
        return false;
    };
    const auto finish = [&](int i, std::optional<Converted> converted) {
        const std::vector<PlannedOutput>& outputs = groups[i];
        const PlannedOutput& planned = outputs.front();
        if (!converted) {
            PrintError(Substitute("Interrupted; %1 and the outputs after it were not written.",
                                  ShownOutput(planned.output)));
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
            PrintError(Substitute("%1: %2; nothing written.", ShownInput(planned.input), declined.reason()));
            if (status == kDone)
                status = kCancelled;
        } catch (const RunCancelled&) {
            if (InterruptFlag().IsCancelled()) {
                // Variants written before the signal are whole and stay.
                PrintError(variants ? Substitute("Interrupted; the variants of %1 not yet written were not written.",
                                                 ShownInput(planned.input))
                                    : Substitute("Interrupted; %1 was not written.", ShownOutput(planned.output)));
                return stop(kCancelled);
            }
            PrintError(Substitute("%1: the run was cancelled; nothing written.", ShownInput(planned.input)));
            if (status == kDone)
                status = kCancelled;
        } catch (const StreamWriteError& error) {
            // Nothing more printed would arrive.
            PrintError(error.message());
            ended = kError;
            return false;
        } catch (const PictaronError& error) {
            PrintError(error.message());
            status = kError;
        } catch (const std::bad_alloc&) {
            PrintError(Substitute("%1: There is not enough memory to finish this picture; nothing written.",
                                  ShownInput(planned.input)));
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
    std::signal(SIGBUS, OnFileShortened);
    // A reader that went away is a write error with a message, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    // Captions are drawn by the graphics toolkit, which needs a graphics
    // application; the caption module makes one on the offscreen platform,
    // without any display. Only runs that draw a caption load the toolkit.
    // Nothing else needs an application object: the engine uses plain
    // threads and no event loop, and making one costs more than a small run.
    // The application takes the toolkit's own options out of the arguments,
    // so they are read once it is made.
    CaptionApplication app;
    const bool drawsCaption = DrawsCaption(argc, argv);
    if (drawsCaption) {
        // Before the toolkit's threads: every thread inherits the blocked signals.
        StartInterruptWatch();
        try {
            app = MakeCaptionApplication(argc, argv, ToolkitMessage);
        } catch (const PictaronError& error) {
            PrintError(error.message());
            return kError;
        }
    }

    // The arguments as the system gives them: file names are bytes.
    const Texts arguments(argv, argv + argc);
    const CliParse parse = ParseCliArguments(arguments);
    switch (parse.outcome) {
    case CliParse::Outcome::Help:
        return PrintText(stdout, CliUsage());
    case CliParse::Outcome::Version:
        return PrintText(stdout, "pictaron-cli " PICTARON_VERSION "\n");
    case CliParse::Outcome::BadUsage:
        PrintError(parse.error);
        std::fputs(CliUsage().c_str(), stderr);
        return kBadUsage;
    case CliParse::Outcome::Run:
        break;
    }
    // Only a run sets these up: a script asking for the version or the help
    // pays for no thread and no locale files.
    if (!drawsCaption) {
        StartInterruptWatch();
        UseSystemLanguage();
    }

    // Every name first: a run that would lose a file writes none.
    const OutputPlan plan = PlanOutputs(parse.job);
    if (!plan.clashes.empty()) {
        for (const std::string& clash : plan.clashes)
            PrintError(clash);
        return kError;
    }
    return RunPlan(parse.job, plan);
}
