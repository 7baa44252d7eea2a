#include "cli/clireport.h"

#include "app/report.h"
#include "components/qtbridge.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace pictaron {

namespace {

QString PlainLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString Kilobytes(qint64 bytes) { return FormatKilobytes(bytes, 1) + QStringLiteral(" KB"); }

// " Quality 63 chosen in 7 trial encodes: the highest that fits in 100.0 KB".
QString SearchLine(const CliPictureReport& report)
{
    const CliPictureReport::Search& search = *report.search;
    const bool floor = search.minSimilarity > 0;
    QString line = report.indexed ? QStringLiteral(" %1 colours").arg(search.setting)
                                  : QStringLiteral(" Quality %1").arg(search.setting);
    line += QStringLiteral(" chosen in %1 trial encodes: ").arg(search.trials);
    if (floor) {
        line += (report.indexed ? QStringLiteral("the fewest that reach an SSIM of %1")
                                : QStringLiteral("the lowest that reaches an SSIM of %1"))
                    .arg(FormatFixed(search.minSimilarity, 3));
        if (search.maxBytes > 0)
            line += QStringLiteral(", within ") + Kilobytes(search.maxBytes);
    } else {
        line += (report.indexed ? QStringLiteral("the most that fit in %1") : QStringLiteral("the highest that fits in %1"))
                    .arg(Kilobytes(search.maxBytes));
    }
    return line;
}

// Each line's name and the seconds the result takes on it.
QJsonArray DownloadTimes(qint64 bytes, const auto& speeds)
{
    QJsonArray times;
    for (const LineSpeed& speed : speeds)
        times.append(QJsonObject{{QStringLiteral("line"), QString::fromLatin1(speed.label)},
                                 {QStringLiteral("seconds"), static_cast<double>(bytes) / speed.bytesPerSecond}});
    return times;
}

} // namespace

QString ReportText(const CliPictureReport& report)
{
    QStringList lines;
    lines << PlainLines(OpenedSourceInfo(report.input, report.originalSize, report.originalDimensions,
                                         ToQString(DescribeAppliedTags(report.source))));
    lines << PlainLines(BuildResultInfo(report.resultSize, DescribePicture(report.resultDimensions), report.originalSize,
                                        report.output, false)
                            .longText);
    if (report.similarity)
        lines << QStringLiteral(" SSIM %1 to the finished picture").arg(FormatFixed(*report.similarity, 4));
    if (report.search)
        lines << SearchLine(report);
    // The list's columns: speed, current, new.
    for (const QString& item : DownloadTimeItems(report.originalSize, report.resultSize, true)) {
        const QStringList fields = item.split(QLatin1Char('|'));
        QString line = QLatin1Char(' ') + fields.value(0).leftJustified(7) + fields.value(1).leftJustified(13);
        line += fields.value(2);
        lines << line.trimmed().prepend(QLatin1Char(' '));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QByteArray JsonLine(const CliPictureReport& report)
{
    QJsonObject seconds;
    for (const LineSpeed& speed : kLineSpeeds)
        seconds.insert(QString::fromLatin1(speed.label), static_cast<double>(report.resultSize) / speed.bytesPerSecond);
    QJsonObject object{
        {QStringLiteral("input"), report.input},
        {QStringLiteral("output"), report.output},
        {QStringLiteral("format"), report.format},
        {QStringLiteral("width"), report.resultDimensions.width()},
        {QStringLiteral("height"), report.resultDimensions.height()},
        {QStringLiteral("bytes"), report.resultSize},
        {QStringLiteral("original_bytes"), report.originalSize},
        {QStringLiteral("download_seconds"), seconds},
        {QStringLiteral("download_times"),
         QJsonObject{{QStringLiteral("classic"), DownloadTimes(report.resultSize, kLineSpeeds)},
                     {QStringLiteral("today"), DownloadTimes(report.resultSize, kTodaysLineSpeeds)}}},
        {QStringLiteral("warnings"), QJsonArray::fromStringList(report.warnings)},
    };
    // Only a picture with tags says more than it always has.
    const QString applied = ToQString(DescribeAppliedTags(report.source));
    if (!applied.isEmpty())
        object.insert(QStringLiteral("applied"), applied);
    if (report.source.orientation != 1)
        object.insert(QStringLiteral("orientation"), report.source.orientation);
    if (!report.source.profileName.empty())
        object.insert(QStringLiteral("profile"), ToQString(report.source.profileName));
    if (!report.metadata.isEmpty())
        object.insert(QStringLiteral("metadata"), QJsonArray::fromStringList(report.metadata));
    if (report.indexed)
        object.insert(QStringLiteral("colours"), report.colours);
    if (report.similarity)
        object.insert(QStringLiteral("ssim"), *report.similarity);
    if (report.search) {
        object.insert(QStringLiteral("chosen"),
                      QJsonObject{{report.indexed ? QStringLiteral("colours") : QStringLiteral("quality"),
                                   report.search->setting}});
        object.insert(QStringLiteral("trials"), report.search->trials);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace pictaron
