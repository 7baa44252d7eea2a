#include "cli/variantreport.h"

#include "app/outputformat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

namespace pictaron {

namespace {

// A file name as a relative URL: everything but the unreserved characters
// and "/" percent-encoded, so commas and spaces cannot split a srcset entry
// and no attribute needs escaping.
QString UrlOf(const QString& file)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(file, "/"));
}

QString Attribute(const QString& text)
{
    return text.toHtmlEscaped();
}

// The variants of one format, in the order made (widths ascending).
QList<MadeVariant> OfFormat(const QList<MadeVariant>& made, OutputFormat format)
{
    QList<MadeVariant> variants;
    for (const MadeVariant& variant : made)
        if (variant.format == format)
            variants << variant;
    return variants;
}

QString Srcset(const QList<MadeVariant>& variants)
{
    QStringList entries;
    for (const MadeVariant& variant : variants)
        entries << QStringLiteral("%1 %2w").arg(UrlOf(variant.file)).arg(variant.dimensions.width());
    return entries.join(QStringLiteral(", "));
}

} // namespace

QByteArray PictureElement(const QList<MadeVariant>& made, const QString& sizes)
{
    QList<OutputFormat> formats;
    for (const MadeVariant& variant : made)
        if (!formats.contains(variant.format))
            formats << variant.format;
    if (formats.isEmpty())
        return QByteArray();
    const QString shownSizes = Attribute(sizes);
    QString html = QStringLiteral("<picture>\n");
    for (qsizetype i = 0; i + 1 < formats.size(); ++i)
        html += QStringLiteral("  <source type=\"%1\" srcset=\"%2\" sizes=\"%3\">\n")
                    .arg(FactsOf(formats[i]).mimeType, Srcset(OfFormat(made, formats[i])), shownSizes);
    const QList<MadeVariant> fallback = OfFormat(made, formats.last());
    const MadeVariant& largest = fallback.last();
    html += QStringLiteral("  <img src=\"%1\" srcset=\"%2\" sizes=\"%3\" width=\"%4\" height=\"%5\" alt=\"\">\n")
                .arg(UrlOf(largest.file), Srcset(fallback), shownSizes)
                .arg(largest.dimensions.width())
                .arg(largest.dimensions.height());
    html += QStringLiteral("</picture>\n");
    return html.toUtf8();
}

QByteArray VariantJsonLine(const QString& input, qint64 originalBytes, const QList<MadeVariant>& made,
                           const QStringList& warnings)
{
    QJsonArray variants;
    for (const MadeVariant& variant : made) {
        QJsonObject object{
            {QStringLiteral("file"), variant.file},
            {QStringLiteral("format"), FactsOf(variant.format).key},
            {QStringLiteral("width"), variant.dimensions.width()},
            {QStringLiteral("height"), variant.dimensions.height()},
            {QStringLiteral("bytes"), variant.bytes},
        };
        if (variant.similarity)
            object.insert(QStringLiteral("ssim"), *variant.similarity);
        if (variant.kept)
            object.insert(QStringLiteral("kept"), true);
        variants.append(object);
    }
    const QJsonObject object{
        {QStringLiteral("input"), input},
        {QStringLiteral("original_bytes"), originalBytes},
        {QStringLiteral("variants"), variants},
        {QStringLiteral("warnings"), QJsonArray::fromStringList(warnings)},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace pictaron
