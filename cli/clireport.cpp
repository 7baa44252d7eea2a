#include "cli/clireport.h"

#include "app/report.h"
#include "cli/jsonwriter.h"

#include <algorithm>

namespace pictaron {

namespace {

// The window's "\r\n" line breaks as "\n".
std::string PlainLines(std::string plain)
{
    for (std::size_t at = plain.find("\r\n"); at != std::string::npos; at = plain.find("\r\n", at))
        plain.erase(at, 1);
    return plain;
}

std::string Kilobytes(std::int64_t bytes) { return FormatKilobytes(bytes, 1) + " KB"; }

// text with spaces after it up to width characters.
std::string LeftJustified(const std::string& text, std::size_t width)
{
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

// " Quality 63 chosen in 7 trial encodes: the highest that fits in 100.0 KB".
std::string SearchLine(const CliPictureReport& report)
{
    const CliPictureReport::Search& search = *report.search;
    const bool floor = search.minSimilarity > 0;
    std::string line = Substitute(report.indexed ? " %1 colours" : " Quality %1", search.setting);
    line += Substitute(" chosen in %1 trial encodes: ", search.trials);
    if (floor) {
        line += Substitute(report.indexed ? "the fewest that reach an SSIM of %1" : "the lowest that reaches an SSIM of %1",
                           FormatFixed(search.minSimilarity, 3));
        if (search.maxBytes > 0)
            line += ", within " + Kilobytes(search.maxBytes);
    } else {
        line += Substitute(report.indexed ? "the most that fit in %1" : "the highest that fits in %1",
                           Kilobytes(search.maxBytes));
    }
    return line;
}

// Each line's name and the seconds the result takes on it.
JsonArray DownloadTimes(std::int64_t bytes, const auto& speeds)
{
    JsonArray times;
    for (const LineSpeed& speed : speeds)
        times.AppendObject(JsonObject()
                               .SetText("line", speed.label)
                               .SetNumber("seconds", static_cast<double>(bytes) / speed.bytesPerSecond));
    return times;
}

} // namespace

std::string ReportText(const CliPictureReport& report)
{
    Texts lines;
    lines.push_back(PlainLines(OpenedSourceInfo(report.input, report.originalSize, report.originalDimensions,
                                                DescribeAppliedTags(report.source))));
    lines.push_back(PlainLines(BuildResultInfo(report.resultSize, DescribePicture(report.resultDimensions),
                                               report.originalSize, report.output, false)
                                   .longText));
    if (report.similarity)
        lines.push_back(Substitute(" SSIM %1 to the finished picture", FormatFixed(*report.similarity, 4)));
    if (report.search)
        lines.push_back(SearchLine(report));
    // The list's columns: speed, current, new.
    for (const std::string& item : DownloadTimeItems(report.originalSize, report.resultSize, true)) {
        Texts fields = SplitAt(item, '|');
        fields.resize(std::max<std::size_t>(fields.size(), 3));
        const std::string line = LeftJustified(fields[0], 7) + LeftJustified(fields[1], 13) + fields[2];
        lines.push_back(' ' + std::string(TrimmedUnicode(line)));
    }
    return JoinTexts(lines, "\n") + '\n';
}

std::string JsonLine(const CliPictureReport& report)
{
    JsonObject seconds;
    for (const LineSpeed& speed : kLineSpeeds)
        seconds.SetNumber(speed.label, static_cast<double>(report.resultSize) / speed.bytesPerSecond);
    JsonObject object;
    object.SetText("input", report.input)
        .SetText("output", report.output)
        .SetText("format", report.format)
        .SetWhole("width", report.resultDimensions.width())
        .SetWhole("height", report.resultDimensions.height())
        .SetWhole("bytes", report.resultSize)
        .SetWhole("original_bytes", report.originalSize)
        .SetObject("download_seconds", seconds)
        .SetObject("download_times", JsonObject()
                                         .SetArray("classic", DownloadTimes(report.resultSize, kLineSpeeds))
                                         .SetArray("today", DownloadTimes(report.resultSize, kTodaysLineSpeeds)))
        .SetArray("warnings", JsonArray(report.warnings));
    // Only a picture with tags says more than it always has.
    const std::string applied = DescribeAppliedTags(report.source);
    if (!applied.empty())
        object.SetText("applied", applied);
    if (report.source.orientation != 1)
        object.SetWhole("orientation", report.source.orientation);
    if (!report.source.profileName.empty())
        object.SetText("profile", report.source.profileName);
    if (!report.metadata.empty())
        object.SetArray("metadata", JsonArray(report.metadata));
    if (report.indexed)
        object.SetWhole("colours", report.colours);
    if (report.similarity)
        object.SetNumber("ssim", *report.similarity);
    if (report.search) {
        object.SetObject("chosen", JsonObject().SetWhole(report.indexed ? "colours" : "quality", report.search->setting));
        object.SetWhole("trials", report.search->trials);
    }
    return object.Compact() + '\n';
}

} // namespace pictaron
