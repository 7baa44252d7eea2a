#include "app/report.h"

#include "formats/sourcetags.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace pictaron {

std::string FormatFixed(long double value, int decimals)
{
    // 18 significant digits of the magnitude: "D.DDDDDDDDDDDDDDDDDe±XX".
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", std::fabs(value));
    std::string digits(1, buffer[0]);
    digits.append(buffer + 2, 17);
    const int exponent = std::atoi(std::strchr(buffer, 'e') + 1);

    // Keep the digits down to the requested place and look at the first one dropped.
    const int keep = exponent + 1 + decimals;
    std::string kept;
    bool roundUp = false;
    if (keep >= 0) {
        kept = digits.substr(0, std::min<std::size_t>(keep, digits.size()));
        kept.append(keep > static_cast<int>(digits.size()) ? keep - digits.size() : 0, '0');
        roundUp = keep < static_cast<int>(digits.size()) && digits[keep] >= '5';
    }
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        for (; i >= 0 && kept[i] == '9'; --i)
            kept[i] = '0';
        if (i >= 0)
            ++kept[i];
        else
            kept.insert(kept.begin(), '1');
    }
    if (static_cast<int>(kept.size()) <= decimals)
        kept.insert(0, decimals + 1 - kept.size(), '0');

    std::string text = kept.substr(0, kept.size() - decimals);
    if (decimals > 0)
        text += '.' + kept.substr(kept.size() - decimals);
    const bool nonZero = kept.find_first_not_of('0') != std::string::npos;
    if (value < 0 && nonZero)
        text.insert(text.begin(), '-');
    return text;
}

std::string DescribePicture(int width, int height)
{
    return Substitute("%1 by %2 pixels", width, height);
}

std::string DescribePicture(Size size)
{
    return DescribePicture(size.width(), size.height());
}

std::string DescribePicture(const Bitmap& picture)
{
    return DescribePicture(picture.size());
}

std::string FormatKilobytes(std::int64_t bytes, int decimals)
{
    return FormatFixed(static_cast<long double>(bytes) * (1.0L / 1024), decimals);
}

std::string OpenedSourceInfo(const std::string& path, std::int64_t fileSize, Size pictureSize,
                             const std::string& applied)
{
    std::string info = Substitute(" %1\r\n %2, %3 K", path, DescribePicture(pictureSize), FormatKilobytes(fileSize, 1));
    if (!applied.empty())
        info += ", " + applied;
    return info;
}

std::string OpenedSourceInfo(const std::string& path, std::int64_t fileSize, const Bitmap& picture)
{
    return OpenedSourceInfo(path, fileSize, picture.size(), DescribeAppliedTags(SourceTagsOf(picture)));
}

std::string PastedSourceInfo(const Bitmap& picture)
{
    return " Clipboard\r\n " + DescribePicture(picture);
}

std::string DescribeChosenSetting(bool colours, int setting, int trials)
{
    return Substitute(colours ? "%1 colours chosen in %2 trials" : "quality %1 chosen in %2 trials", setting, trials);
}

ResultNotes NotesOf(const EncodedResult& result)
{
    ResultNotes notes;
    // Only palette results count their colours, and their setting is the count.
    if (result.settingChosen)
        notes.chosenSetting = DescribeChosenSetting(result.colours > 0, result.chosenSetting, result.trials);
    notes.similarity = result.similarity;
    return notes;
}

ResultInfo BuildResultInfo(std::int64_t size, const std::string& description, std::int64_t originalSize,
                           const std::string& resultFileName, bool changed,
                           const std::function<std::string(const std::string&)>& fitFileName,
                           const ResultNotes& notes)
{
    std::string firstLine;
    if (!resultFileName.empty()) {
        firstLine = ' ' + resultFileName + (changed ? " *" : "");
        if (fitFileName)
            firstLine = fitFileName(firstLine);
    } else {
        firstLine = " New image unsaved";
    }
    ResultInfo info;
    info.shortText = firstLine + "\r\n " + description + ", " + FormatKilobytes(size, 2) + " K";
    info.longText = info.shortText;
    if (originalSize > 0) {
        const long double share = static_cast<long double>(size) / originalSize * 100;
        info.shortText += ", " + FormatFixed(share, 2) + '%';
        info.longText = info.shortText + " of original size";
    }
    std::string ending;
    if (!notes.chosenSetting.empty())
        ending += ", " + notes.chosenSetting;
    if (notes.similarity)
        ending += ", SSIM " + FormatFixed(*notes.similarity, 3);
    info.shortText += ending;
    info.longText += ending;
    return info;
}

float DownloadSeconds(std::int64_t bytes, const LineSpeed& speed)
{
    return static_cast<float>(static_cast<double>(bytes) / speed.bytesPerSecond);
}

std::string FormatSeconds(float seconds)
{
    return FormatFixed(seconds, seconds < 10.0f ? 1 : 0);
}

Texts DownloadTimeItems(std::int64_t originalSize, std::int64_t resultSize, bool showNew, bool todaysLines)
{
    const bool withNew = showNew && resultSize >= 0;
    Texts items;
    items.emplace_back(withNew ? "Speed|Current|New" : "Speed|Current");
    const auto addRow = [&](const LineSpeed& speed) {
        std::string row = std::string(speed.label) + "|(" + FormatSeconds(DownloadSeconds(originalSize, speed)) + " sec)";
        if (withNew)
            row += '|' + FormatSeconds(DownloadSeconds(resultSize, speed)) + " sec";
        items.push_back(std::move(row));
    };
    for (const LineSpeed& speed : kLineSpeeds)
        addRow(speed);
    if (todaysLines)
        for (const LineSpeed& speed : kTodaysLineSpeeds)
            addRow(speed);
    return items;
}

} // namespace pictaron
