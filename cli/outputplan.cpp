#include "cli/outputplan.h"

#include "app/outputformat.h"
#include "cli/standardstreams.h"
#include "cli/variants.h"
#include "components/pathnames.h"
#include "components/pathutils.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace pictaron {

namespace {

// The placeholders of an output pattern: "{word}" with a lower-case word, as
// (where it starts, one past its closing brace, the word). A plain scan: a
// regular expression would cost every run its compilation.
struct Placeholder {
    std::size_t start;
    std::size_t end;
    std::string_view word;
};

std::vector<Placeholder> PlaceholdersOf(std::string_view pattern)
{
    std::vector<Placeholder> found;
    for (std::size_t at = pattern.find('{'); at != std::string_view::npos; at = pattern.find('{', at + 1)) {
        std::size_t end = at + 1;
        while (end < pattern.size() && pattern[end] >= 'a' && pattern[end] <= 'z')
            ++end;
        if (end > at + 1 && end < pattern.size() && pattern[end] == '}')
            found.push_back({at, end + 1, pattern.substr(at + 1, end - at - 1)});
    }
    return found;
}

bool IsPlaceholder(std::string_view word)
{
    return word == "name" || word == "dir" || word == "ext";
}

// The name of the folder a file is in, through the current folder for a
// relative path; empty for a file in the root.
std::string_view FolderNameOf(const std::string& absolute)
{
    return FileNameOf(FolderOf(absolute));
}

std::string FillPattern(std::string_view pattern, const std::string& input, const std::string& extension)
{
    const std::string absolute = AbsolutePath(input);
    std::string path;
    std::size_t at = 0;
    for (const Placeholder& placeholder : PlaceholdersOf(pattern)) {
        path += pattern.substr(at, placeholder.start - at);
        path += placeholder.word == "name" ? CompleteBaseNameOf(input)
            : placeholder.word == "dir"    ? FolderNameOf(absolute)
                                           : std::string_view(extension);
        at = placeholder.end;
    }
    path += pattern.substr(at);
    return path;
}

// A file name in a folder, as the folder was given: "out/" and "out" both
// give "out/name".
std::string InFolder(std::string folder, const std::string& name)
{
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
}

// A standard stream is only a file of the user's when it is redirected to one.
std::optional<FileIdentity> IdentityOfStream(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return IdentityOf(info);
}

bool Exists(const std::string& path, bool* isFolder = nullptr)
{
    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (isFolder)
        *isFolder = exists && S_ISDIR(info.st_mode);
    return exists;
}

// The path a file will have: the longest part that exists with its links
// resolved, then the rest as written, cleaned of "." and "..".
std::string ComparablePath(const std::string& path)
{
    std::string head = AbsolutePath(path);
    std::string rest;
    while (!head.empty()) {
        if (Exists(head)) {
            char resolved[PATH_MAX];
            if (::realpath(head.c_str(), resolved))
                return CleanPath(resolved + rest);
            return CleanPath(rest);
        }
        if (head == "/")
            break;
        rest.insert(0, '/' + std::string(FileNameOf(head)));
        head = FolderOf(head);
    }
    return CleanPath(head + rest);
}

std::string Shown(const std::string& path)
{
    return IsStandardStream(path) ? "standard output" : path;
}

std::string ShownInput(const std::string& input)
{
    return IsStandardStream(input) ? "standard input" : input;
}

std::string OutputPathFor(const CliJob& job, const std::string& input, OutputFormat format)
{
    const std::string& extension = FactsOf(format).extension;
    switch (job.outputKind) {
    case CliOutputKind::File:
    case CliOutputKind::StandardOutput:
        return job.output;
    case CliOutputKind::Folder:
        return InFolder(job.output, std::string(CompleteBaseNameOf(input)) + '.' + extension);
    case CliOutputKind::Pattern:
        break;
    }
    return FillPattern(job.output, input, extension);
}

// What one input writes: its output, or each of its variants.
std::vector<PlannedOutput> OutputsOf(const CliJob& job, const std::string& input)
{
    if (job.variants.IsEmpty())
        return {PlannedOutput{input, OutputPathFor(job, input, job.settings.format), false, job.settings.format}};
    const std::vector<int> widths = job.variants.widths.empty() ? std::vector<int>{0} : job.variants.widths;
    std::vector<PlannedOutput> outputs;
    for (const OutputFormat format : WrittenFormats(job)) {
        const std::string single = OutputPathFor(job, input, format);
        for (const int width : widths)
            outputs.push_back({input, VariantPath(single, width, format), false, format, width});
    }
    return outputs;
}

} // namespace

bool IsOutputPattern(std::string_view output)
{
    const std::vector<Placeholder> placeholders = PlaceholdersOf(output);
    return std::any_of(placeholders.begin(), placeholders.end(),
                       [](const Placeholder& placeholder) { return IsPlaceholder(placeholder.word); });
}

std::string UnknownPlaceholder(std::string_view pattern)
{
    for (const Placeholder& placeholder : PlaceholdersOf(pattern))
        if (!IsPlaceholder(placeholder.word))
            return std::string(pattern.substr(placeholder.start, placeholder.end - placeholder.start));
    return {};
}

std::string OutputPathFor(const CliJob& job, const std::string& input)
{
    return OutputPathFor(job, input, job.settings.format);
}

OutputPlan PlanOutputs(const CliJob& job)
{
    OutputPlan plan;
    struct Input {
        std::string name;
        std::optional<FileIdentity> identity;
    };
    std::vector<Input> inputs;
    for (const std::string& input : job.inputs)
        inputs.push_back({input, IsStandardStream(input) ? IdentityOfStream(STDIN_FILENO) : IdentityOfPath(input)});

    Texts comparable;  // of each planned output, for outputs written twice
    std::vector<std::pair<const Input*, PlannedOutput>> wanted;
    for (const Input& input : inputs)
        for (const PlannedOutput& planned : OutputsOf(job, input.name))
            wanted.emplace_back(&input, planned);
    for (auto& [input, planned] : wanted) {
        const bool toStream = IsStandardStream(planned.output);
        const std::optional<FileIdentity> target =
            toStream ? IdentityOfStream(STDOUT_FILENO) : IdentityOfPath(planned.output);

        for (const Input& other : inputs) {
            if (!target || other.identity != target)
                continue;
            plan.clashes.push_back(
                other.identity == input->identity
                    ? Substitute("%1 would overwrite its own input %2; nothing written. Name an output of its own.",
                                 Shown(planned.output), ShownInput(planned.input))
                    : Substitute("%1 (from %2) would overwrite the input %3; nothing written.", Shown(planned.output),
                                 ShownInput(planned.input), ShownInput(other.name)));
            break;
        }
        if (toStream) {
            comparable.emplace_back();
        } else {
            const std::string path = ComparablePath(planned.output);
            const auto earlier = std::find(comparable.begin(), comparable.end(), path);
            if (earlier != comparable.end())
                plan.clashes.push_back(Substitute("%1 and %2 would both be written to %3; nothing written. A name "
                                                  "pattern such as -o 'FOLDER/{dir}-{name}.{ext}' keeps them apart.",
                                                  ShownInput(plan.outputs[earlier - comparable.begin()].input),
                                                  ShownInput(planned.input), Shown(planned.output)));
            comparable.push_back(path);
            bool isFolder = false;
            const bool exists = Exists(planned.output, &isFolder);
            if (isFolder)
                plan.clashes.push_back(Substitute("%1 (from %2) is a folder; nothing written.", Shown(planned.output),
                                                  ShownInput(planned.input)));
            planned.keepExisting = job.existing == CliExisting::Keep && exists;
        }
        plan.outputs.push_back(planned);
    }
    return plan;
}

} // namespace pictaron
