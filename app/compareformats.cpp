#include "app/compareformats.h"
#include "components/qtbridge.h"

#include "app/conversion.h"
#include "app/outputformat.h"
#include "components/errors.h"

namespace pictaron {

std::vector<FormatComparison> CompareFormats(const Bitmap& original, const Bitmap& alpha,
                                             const ConversionSettings& settings, RunContext& context)
{
    // In memory, decoded again and scored: nothing is written until the user
    // saves the one chosen.
    RunContext scored{context.progress, context.cancel, std::string(), true};
    const auto formats = OutputFormats();
    // The changes are made once for the formats without transparency and once
    // for those that keep it.
    std::optional<ChangedPicture> changed[2];
    std::vector<FormatComparison> entries;
    for (const OutputFormatFacts& facts : formats) {
        const int done = static_cast<int>(entries.size());
        context.progress.ReportProgress("Comparing: " + facts.name, done, int(formats.size()));
        FormatComparison entry;
        entry.format = facts.format;
        ConversionSettings s = settings;
        s.format = facts.format;
        try {
            std::optional<ChangedPicture>& picture = changed[KeepsAlpha(s) ? 1 : 0];
            if (!picture)
                picture = ApplyChanges(original, s, scored, alpha);
            entry.result = EncodeChanged(*picture, s, scored);
        } catch (const RunCancelled&) {
            throw;
        } catch (const PictaronError& error) {
            entry.error = ToQString(error.message());
        }
        entries.push_back(std::move(entry));
        context.cancel.ThrowIfCancelled();
    }
    return entries;
}

QStringList ComparisonHeader(const LineSpeed& speed)
{
    return {QStringLiteral("Format"), QStringLiteral("Bytes"), QStringLiteral("Share"), QStringLiteral("SSIM"),
            QStringLiteral("At ") + QString::fromLatin1(speed.label)};
}

QStringList ComparisonRow(const FormatComparison& entry, qint64 originalSize, const LineSpeed& speed)
{
    QStringList row{ToQString(FactsOf(entry.format).name)};
    if (!entry.result) {
        row << QStringLiteral("not made") << QString() << QString() << QString();
        return row;
    }
    const EncodedResult& r = *entry.result;
    row << QString::number(r.size);
    row << (originalSize > 0 ? ToQString(FormatFixed(static_cast<long double>(r.size) / originalSize * 100, 0) + '%')
                             : QString());
    row << (r.similarity ? ToQString(FormatFixed(*r.similarity, 3)) : QString());
    row << ToQString(FormatSeconds(DownloadSeconds(r.size, speed)) + " sec");
    return row;
}

const LineSpeed& LineSpeedOfRow(int row)
{
    const int lines = static_cast<int>(kLineSpeeds.size());
    if (row >= 1 && row <= lines)
        return kLineSpeeds[static_cast<size_t>(row - 1)];
    if (row > lines && row <= lines + static_cast<int>(kTodaysLineSpeeds.size()))
        return kTodaysLineSpeeds[static_cast<size_t>(row - lines - 1)];
    return kLineSpeeds[kDefaultSpeedRow - 1];
}

} // namespace pictaron
