#include "app/outputformat.h"

#include <QFileInfo>

#include <array>

namespace pictaron {

namespace {

const std::array<OutputFormatFacts, 5>& Table()
{
    static const std::array<OutputFormatFacts, 5> table{{
        {OutputFormat::Gif, QStringLiteral("GIF"), QStringLiteral("gif"), QStringLiteral("gif"),
         {QStringLiteral("gif")}, QStringLiteral("*.gif|*.gif"), QStringLiteral("image/gif"), false},
        {OutputFormat::Jpeg, QStringLiteral("JPEG"), QStringLiteral("jpeg"), QStringLiteral("jpg"),
         {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe")},
         QStringLiteral("*.jpg|*.jpg"), QStringLiteral("image/jpeg"), false},
        {OutputFormat::Png, QStringLiteral("PNG"), QStringLiteral("png"), QStringLiteral("png"),
         {QStringLiteral("png")}, QStringLiteral("*.png|*.png"), QStringLiteral("image/png"), true},
        {OutputFormat::Webp, QStringLiteral("WebP"), QStringLiteral("webp"), QStringLiteral("webp"),
         {QStringLiteral("webp")}, QStringLiteral("*.webp|*.webp"), QStringLiteral("image/webp"), true},
        {OutputFormat::Avif, QStringLiteral("AVIF"), QStringLiteral("avif"), QStringLiteral("avif"),
         {QStringLiteral("avif")}, QStringLiteral("*.avif|*.avif"), QStringLiteral("image/avif"), true},
    }};
    return table;
}

} // namespace

std::span<const OutputFormatFacts> OutputFormats() { return Table(); }

const OutputFormatFacts& FactsOf(OutputFormat format)
{
    for (const OutputFormatFacts& facts : Table()) {
        if (facts.format == format)
            return facts;
    }
    return Table()[1];
}

std::optional<OutputFormat> FormatForKey(const QString& word)
{
    const QString lower = word.toLower();
    for (const OutputFormatFacts& facts : Table()) {
        if (facts.key == lower || facts.extensions.contains(lower))
            return facts.format;
    }
    return std::nullopt;
}

std::optional<OutputFormat> FormatForFileName(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const OutputFormatFacts& facts : Table()) {
        if (facts.extensions.contains(suffix))
            return facts.format;
    }
    return std::nullopt;
}

bool KeepsAlpha(const ConversionSettings& settings)
{
    return FactsOf(settings.format).keepsAlpha && !(settings.format == OutputFormat::Png && settings.pngIndexed);
}

} // namespace pictaron
