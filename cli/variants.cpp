#include "cli/variants.h"

#include "app/outputformat.h"
#include "cli/cliargs.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace pictaron {

namespace {

const QString kWidths = QStringLiteral("widths");
const QString kFormats = QStringLiteral("formats");
const QString kHtml = QStringLiteral("html");
const QString kSizes = QStringLiteral("sizes");

// Wider than any picture the loader opens is worth making.
constexpr int kMaxWidth = 100'000;

bool ReadWidths(const QCommandLineParser& parser, QList<int>& widths, QString& error)
{
    static const QRegularExpression number(QStringLiteral("^\\d{1,6}$"));
    const QString text = parser.value(kWidths);
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QString word = part.trimmed();
        const int width = number.match(word).hasMatch() ? word.toInt() : 0;
        if (width < 1 || width > kMaxWidth) {
            error = QStringLiteral("--widths needs widths in pixels from 1 to %1, separated by commas (480,960,1920), "
                                   "not \"%2\".")
                        .arg(kMaxWidth)
                        .arg(text);
            return false;
        }
        if (widths.contains(width)) {
            error = QStringLiteral("--widths names %1 twice.").arg(width);
            return false;
        }
        widths << width;
    }
    std::sort(widths.begin(), widths.end());
    return true;
}

bool ReadFormats(const QCommandLineParser& parser, QList<OutputFormat>& formats, QString& error)
{
    QStringList keys;
    for (const OutputFormatFacts& facts : OutputFormats())
        keys << facts.key;
    const QString text = parser.value(kFormats);
    for (const QString& part : text.split(QLatin1Char(','))) {
        const std::optional<OutputFormat> format = FormatForKey(part.trimmed());
        if (!format) {
            error = QStringLiteral("--formats needs formats separated by commas (avif,webp,jpeg), each one of %1; "
                                   "\"%2\" is none.")
                        .arg(keys.join(QStringLiteral(", ")), part);
            return false;
        }
        if (formats.contains(*format)) {
            error = QStringLiteral("--formats names %1 twice.").arg(FactsOf(*format).name);
            return false;
        }
        formats << *format;
    }
    return true;
}

// What variants cannot go with; empty when the job is sound.
QString CheckVariantJob(const QCommandLineParser& parser, const CliJob& job)
{
    const VariantRequest& v = job.variants;
    if (!v.formats.isEmpty() && parser.isSet(QStringLiteral("format")))
        return QStringLiteral("Choose either --format or --formats.");
    if (!v.widths.isEmpty() && parser.isSet(QStringLiteral("resize")))
        return QStringLiteral("--widths sets the size of each variant; leave out --resize.");
    if (job.outputKind == CliOutputKind::StandardOutput)
        return QStringLiteral("Variants are files named after the output; -o - cannot name them.");
    if (job.mode == CliOutputMode::Report)
        return QStringLiteral("--report describes one result; --json lists every variant.");
    if (v.html && job.mode == CliOutputMode::Json)
        return QStringLiteral("Choose either --html or --json.");
    return QString();
}

} // namespace

QString VariantUsage()
{
    return QStringLiteral(
        "Responsive variants:\n"
        "  --widths W,W,...        make the picture at each width (pixels), the height\n"
        "                          keeping its aspect ratio, each named after OUTPUT\n"
        "                          with -<width>.<extension> for its extension; a width\n"
        "                          above the picture's own is left out, with a note on\n"
        "                          standard error\n"
        "  --formats F,F,...       make each variant in each of these formats (such as\n"
        "                          avif,webp,jpeg); without --widths at the picture's\n"
        "                          own width, named after OUTPUT with the format's\n"
        "                          extension. An option of any of them is taken\n"
        "  --html                  print a <picture> element on standard output: a\n"
        "                          <source> for each format but the last, with every\n"
        "                          width in its srcset, and an <img> of the last (the\n"
        "                          run's format without --formats) at its largest width\n"
        "  --sizes TEXT            the sizes attribute of --html (default 100vw)\n");
}

QList<QCommandLineOption> VariantOptions()
{
    return {
        {kWidths, QString(), QStringLiteral("widths")},
        {kFormats, QString(), QStringLiteral("formats")},
        {kHtml, QString()},
        {kSizes, QString(), QStringLiteral("text")},
    };
}

bool ReadVariantOptions(const QCommandLineParser& parser, CliJob& job, QString& error)
{
    VariantRequest& v = job.variants;
    if (parser.isSet(kWidths) && !ReadWidths(parser, v.widths, error))
        return false;
    if (parser.isSet(kFormats) && !ReadFormats(parser, v.formats, error))
        return false;
    v.html = parser.isSet(kHtml);
    if (parser.isSet(kSizes)) {
        v.sizes = parser.value(kSizes).trimmed();
        if (!v.html || v.sizes.isEmpty()) {
            error = QStringLiteral("--sizes gives the sizes attribute of --html and cannot be empty.");
            return false;
        }
    }
    if (v.IsEmpty()) {
        if (v.html)
            error = QStringLiteral("--html lists variants; name them with --widths or --formats.");
        return !v.html;
    }
    error = CheckVariantJob(parser, job);
    return error.isEmpty();
}

QList<OutputFormat> WrittenFormats(const CliJob& job)
{
    return job.variants.formats.isEmpty() ? QList<OutputFormat>{job.settings.format} : job.variants.formats;
}

QString VariantPath(const QString& single, int width, OutputFormat format)
{
    const QString suffix = QFileInfo(single).suffix();
    QString path = suffix.isEmpty() ? single : single.chopped(suffix.size() + 1);
    if (width > 0)
        path += QLatin1Char('-') + QString::number(width);
    return path + QLatin1Char('.') + FactsOf(format).extension;
}

QSize VariantSize(QSize source, int width)
{
    const double height = static_cast<double>(source.height()) * width / source.width();
    return QSize(width, std::max(1, static_cast<int>(std::nearbyint(height))));
}

LoadOptions VariantLoadOptions(const CliJob& job)
{
    LoadOptions options = LoadOptionsFor(job.settings);
    if (!job.variants.widths.isEmpty() && !job.settings.crop && !job.settings.rotate)
        options.jpegMinimumWidth = 2 * job.variants.widths.back();
    return options;
}

} // namespace pictaron
