#include "cli/clireport.h"

#include "app/report.h"

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

} // namespace

QString ReportText(const CliPictureReport& report)
{
    QStringList lines;
    lines << PlainLines(OpenedSourceInfo(report.input, report.originalSize, report.originalDimensions,
                                         DescribeAppliedTags(report.source)));
    lines << PlainLines(BuildResultInfo(report.resultSize, DescribePicture(report.resultDimensions), report.originalSize,
                                        report.output, false)
                            .longText);
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
        {QStringLiteral("warnings"), QJsonArray::fromStringList(report.warnings)},
    };
    // Only a picture with tags says more than it always has.
    const QString applied = DescribeAppliedTags(report.source);
    if (!applied.isEmpty())
        object.insert(QStringLiteral("applied"), applied);
    if (report.source.orientation != 1)
        object.insert(QStringLiteral("orientation"), report.source.orientation);
    if (!report.source.profileName.isEmpty())
        object.insert(QStringLiteral("profile"), report.source.profileName);
    if (report.indexed)
        object.insert(QStringLiteral("colours"), report.colours);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace pictaron
