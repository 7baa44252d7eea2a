#include "app/outputformat.h"

#include "components/pathnames.h"

#include <algorithm>

#include <array>

namespace pictaron {

namespace {

const std::array<OutputFormatFacts, 5>& Table()
{
    static const std::array<OutputFormatFacts, 5> table{{
        {OutputFormat::Gif, "GIF", "gif", "gif",
         {"gif"}, "*.gif|*.gif", "image/gif", false},
        {OutputFormat::Jpeg, "JPEG", "jpeg", "jpg",
         {"jpg", "jpeg", "jpe"},
         "*.jpg|*.jpg", "image/jpeg", false},
        {OutputFormat::Png, "PNG", "png", "png",
         {"png"}, "*.png|*.png", "image/png", true},
        {OutputFormat::Webp, "WebP", "webp", "webp",
         {"webp"}, "*.webp|*.webp", "image/webp", true},
        {OutputFormat::Avif, "AVIF", "avif", "avif",
         {"avif"}, "*.avif|*.avif", "image/avif", true},
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

namespace {

bool NamesFormat(const Texts& extensions, const std::string& lower)
{
    return std::find(extensions.begin(), extensions.end(), lower) != extensions.end();
}

} // namespace

std::optional<OutputFormat> FormatForKey(std::string_view word)
{
    const std::string lower = AsciiLower(word);
    for (const OutputFormatFacts& facts : Table()) {
        if (facts.key == lower || NamesFormat(facts.extensions, lower))
            return facts.format;
    }
    return std::nullopt;
}

std::optional<OutputFormat> FormatForFileName(std::string_view fileName)
{
    const std::string suffix = AsciiLower(SuffixOf(fileName));
    for (const OutputFormatFacts& facts : Table()) {
        if (NamesFormat(facts.extensions, suffix))
            return facts.format;
    }
    return std::nullopt;
}

bool KeepsAlpha(const ConversionSettings& settings)
{
    return FactsOf(settings.format).keepsAlpha && !(settings.format == OutputFormat::Png && settings.pngIndexed);
}

} // namespace pictaron
