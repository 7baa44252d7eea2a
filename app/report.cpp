#include "app/report.h"

#include "components/qtbridge.h"
#include "formats/sourcetags.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace pictaron {

QString FormatFixed(long double value, int decimals)
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
    return QString::fromStdString(text);
}

QString DescribePicture(int width, int height)
{
    return QStringLiteral("%1 by %2 pixels").arg(width).arg(height);
}

QString DescribePicture(QSize size)
{
    return DescribePicture(size.width(), size.height());
}

QString DescribePicture(const Bitmap& picture)
{
    return DescribePicture(ToQSize(picture.size()));
}

QString FormatKilobytes(qint64 bytes, int decimals)
{
    return FormatFixed(static_cast<long double>(bytes) * (1.0L / 1024), decimals);
}

QString OpenedSourceInfo(const QString& path, qint64 fileSize, QSize pictureSize, const QString& applied)
{
    QString info = QStringLiteral(" %1\r\n %2, %3 K").arg(path, DescribePicture(pictureSize), FormatKilobytes(fileSize, 1));
    if (!applied.isEmpty())
        info += QStringLiteral(", ") + applied;
    return info;
}

QString OpenedSourceInfo(const QString& path, qint64 fileSize, const Bitmap& picture)
{
    return OpenedSourceInfo(path, fileSize, ToQSize(picture.size()), DescribeAppliedTags(SourceTagsOf(picture)));
}

QString PastedSourceInfo(const Bitmap& picture)
{
    return QStringLiteral(" Clipboard\r\n ") + DescribePicture(picture);
}

QString DescribeChosenSetting(bool colours, int setting, int trials)
{
    return (colours ? QStringLiteral("%1 colours chosen in %2 trials") : QStringLiteral("quality %1 chosen in %2 trials"))
        .arg(setting)
        .arg(trials);
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

ResultInfo BuildResultInfo(qint64 size, const QString& description, qint64 originalSize,
                           const QString& resultFileName, bool changed,
                           const std::function<QString(const QString&)>& fitFileName, const ResultNotes& notes)
{
    QString firstLine;
    if (!resultFileName.isEmpty()) {
        firstLine = QLatin1Char(' ') + resultFileName + (changed ? QStringLiteral(" *") : QString());
        if (fitFileName)
            firstLine = fitFileName(firstLine);
    } else {
        firstLine = QStringLiteral(" New image unsaved");
    }
    ResultInfo info;
    info.shortText = firstLine + QStringLiteral("\r\n ") + description + QStringLiteral(", ")
        + FormatKilobytes(size, 2) + QStringLiteral(" K");
    info.longText = info.shortText;
    if (originalSize > 0) {
        const long double share = static_cast<long double>(size) / originalSize * 100;
        info.shortText += QStringLiteral(", ") + FormatFixed(share, 2) + QLatin1Char('%');
        info.longText = info.shortText + QStringLiteral(" of original size");
    }
    QString ending;
    if (!notes.chosenSetting.isEmpty())
        ending += QStringLiteral(", ") + notes.chosenSetting;
    if (notes.similarity)
        ending += QStringLiteral(", SSIM ") + FormatFixed(*notes.similarity, 3);
    info.shortText += ending;
    info.longText += ending;
    return info;
}

float DownloadSeconds(qint64 bytes, const LineSpeed& speed)
{
    return static_cast<float>(static_cast<double>(bytes) / speed.bytesPerSecond);
}

QString FormatSeconds(float seconds)
{
    return FormatFixed(seconds, seconds < 10.0f ? 1 : 0);
}

QStringList DownloadTimeItems(qint64 originalSize, qint64 resultSize, bool showNew, bool todaysLines)
{
    const bool withNew = showNew && resultSize >= 0;
    QStringList items;
    items << (withNew ? QStringLiteral("Speed|Current|New") : QStringLiteral("Speed|Current"));
    const auto addRow = [&](const LineSpeed& speed) {
        QString row = QString::fromLatin1(speed.label) + QStringLiteral("|(")
            + FormatSeconds(DownloadSeconds(originalSize, speed)) + QStringLiteral(" sec)");
        if (withNew)
            row += QLatin1Char('|') + FormatSeconds(DownloadSeconds(resultSize, speed)) + QStringLiteral(" sec");
        items << row;
    };
    for (const LineSpeed& speed : kLineSpeeds)
        addRow(speed);
    if (todaysLines)
        for (const LineSpeed& speed : kTodaysLineSpeeds)
            addRow(speed);
    return items;
}

} // namespace pictaron
