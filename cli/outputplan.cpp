#include "cli/outputplan.h"

#include "app/outputformat.h"
#include "cli/standardstreams.h"
#include "cli/variants.h"
#include "components/pathutils.h"
#include "components/qtbridge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringView>

#include <algorithm>
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
    qsizetype start;
    qsizetype end;
    QStringView word;
};

std::vector<Placeholder> PlaceholdersOf(const QString& pattern)
{
    std::vector<Placeholder> found;
    for (qsizetype at = pattern.indexOf(u'{'); at >= 0; at = pattern.indexOf(u'{', at + 1)) {
        qsizetype end = at + 1;
        while (end < pattern.size() && pattern[end] >= u'a' && pattern[end] <= u'z')
            ++end;
        if (end > at + 1 && end < pattern.size() && pattern[end] == u'}')
            found.push_back({at, end + 1, QStringView(pattern).sliced(at + 1, end - at - 1)});
    }
    return found;
}

bool IsPlaceholder(QStringView word)
{
    return word == u"name" || word == u"dir" || word == u"ext";
}


QString FillPattern(const QString& pattern, const QString& input, const QString& extension)
{
    const QFileInfo info(input);
    QString path;
    qsizetype at = 0;
    for (const Placeholder& placeholder : PlaceholdersOf(pattern)) {
        path += pattern.mid(at, placeholder.start - at);
        path += placeholder.word == u"name" ? info.completeBaseName()
            : placeholder.word == u"dir"    ? info.absoluteDir().dirName()
                                            : extension;
        at = placeholder.end;
    }
    return path + pattern.mid(at);
}

// A standard stream is only a file of the user's when it is redirected to one.
std::optional<FileIdentity> IdentityOfStream(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return IdentityOf(info);
}

// The path a file will have: the longest part that exists with its links
// resolved, then the rest as written, cleaned of "." and "..".
QString ComparablePath(const QString& path)
{
    QString head = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!head.isEmpty()) {
        const QFileInfo part(head);
        if (part.exists())
            return QDir::cleanPath(part.canonicalFilePath() + rest);
        if (part.isRoot())
            break;
        rest.prepend(QLatin1Char('/') + part.fileName());
        head = part.path();
    }
    return QDir::cleanPath(head + rest);
}

QString Shown(const QString& path)
{
    return IsStandardStream(path) ? QStringLiteral("standard output") : QDir::toNativeSeparators(path);
}

QString ShownInput(const QString& input)
{
    return IsStandardStream(input) ? QStringLiteral("standard input") : QDir::toNativeSeparators(input);
}

QString OutputPathFor(const CliJob& job, const QString& input, OutputFormat format)
{
    const QString extension = FactsOf(format).extension;
    switch (job.outputKind) {
    case CliOutputKind::File:
    case CliOutputKind::StandardOutput:
        return job.output;
    case CliOutputKind::Folder:
        return QDir(job.output).filePath(QFileInfo(input).completeBaseName() + QLatin1Char('.') + extension);
    case CliOutputKind::Pattern:
        break;
    }
    return FillPattern(job.output, input, extension);
}

// What one input writes: its output, or each of its variants.
QList<PlannedOutput> OutputsOf(const CliJob& job, const QString& input)
{
    if (job.variants.IsEmpty())
        return {PlannedOutput{input, OutputPathFor(job, input, job.settings.format), false, job.settings.format}};
    const QList<int> widths = job.variants.widths.isEmpty() ? QList<int>{0} : job.variants.widths;
    QList<PlannedOutput> outputs;
    for (const OutputFormat format : WrittenFormats(job)) {
        const QString single = OutputPathFor(job, input, format);
        for (const int width : widths)
            outputs.append({input, VariantPath(single, width, format), false, format, width});
    }
    return outputs;
}

} // namespace

bool IsOutputPattern(const QString& output)
{
    const std::vector<Placeholder> placeholders = PlaceholdersOf(output);
    return std::any_of(placeholders.begin(), placeholders.end(),
                       [](const Placeholder& placeholder) { return IsPlaceholder(placeholder.word); });
}

QString UnknownPlaceholder(const QString& pattern)
{
    for (const Placeholder& placeholder : PlaceholdersOf(pattern))
        if (!IsPlaceholder(placeholder.word))
            return pattern.sliced(placeholder.start, placeholder.end - placeholder.start);
    return QString();
}

QString OutputPathFor(const CliJob& job, const QString& input)
{
    return OutputPathFor(job, input, job.settings.format);
}

OutputPlan PlanOutputs(const CliJob& job)
{
    OutputPlan plan;
    struct Input {
        QString name;
        std::optional<FileIdentity> identity;
    };
    QList<Input> inputs;
    for (const QString& input : job.inputs)
        inputs.append({input, IsStandardStream(input) ? IdentityOfStream(STDIN_FILENO) : IdentityOfPath(ToUtf8(input))});

    QList<QString> comparable;  // of each planned output, for outputs written twice
    QList<std::pair<const Input*, PlannedOutput>> wanted;
    for (const Input& input : inputs)
        for (const PlannedOutput& planned : OutputsOf(job, input.name))
            wanted.append({&input, planned});
    for (auto& [input, planned] : wanted) {
        const bool toStream = IsStandardStream(planned.output);
        const std::optional<FileIdentity> target =
            toStream ? IdentityOfStream(STDOUT_FILENO) : IdentityOfPath(ToUtf8(planned.output));

        for (const Input& other : inputs) {
            if (!target || other.identity != target)
                continue;
            plan.clashes << (other.identity == input->identity
                                 ? QStringLiteral("%1 would overwrite its own input %2; nothing written. Name an "
                                                  "output of its own.")
                                       .arg(Shown(planned.output), ShownInput(planned.input))
                                 : QStringLiteral("%1 (from %2) would overwrite the input %3; nothing written.")
                                       .arg(Shown(planned.output), ShownInput(planned.input), ShownInput(other.name)));
            break;
        }
        if (toStream) {
            comparable.append(QString());
        } else {
            const QString path = ComparablePath(planned.output);
            const qsizetype earlier = comparable.indexOf(path);
            if (earlier >= 0)
                plan.clashes << QStringLiteral("%1 and %2 would both be written to %3; nothing written. A name "
                                               "pattern such as -o 'FOLDER/{dir}-{name}.{ext}' keeps them apart.")
                                    .arg(ShownInput(plan.outputs[earlier].input), ShownInput(planned.input),
                                         Shown(planned.output));
            comparable.append(path);
            const QFileInfo existing(planned.output);
            if (existing.isDir())
                plan.clashes << QStringLiteral("%1 (from %2) is a folder; nothing written.")
                                    .arg(Shown(planned.output), ShownInput(planned.input));
            planned.keepExisting = job.existing == CliExisting::Keep && existing.exists();
        }
        plan.outputs.append(planned);
    }
    return plan;
}

} // namespace pictaron
