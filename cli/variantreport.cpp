#include "cli/variantreport.h"

#include "app/outputformat.h"
#include "cli/jsonwriter.h"

#include <algorithm>

namespace pictaron {

namespace {

// A file name as a relative URL: everything but the unreserved characters
// and "/" percent-encoded, so commas and spaces cannot split a srcset entry
// and no attribute needs escaping.
std::string UrlOf(const std::string& file)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string url;
    for (const char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')
            || (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
        if (unreserved) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 0xF];
        }
    }
    return url;
}

// Text for an attribute in double quotes.
std::string Attribute(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// The variants of one format, in the order made (widths ascending).
std::vector<MadeVariant> OfFormat(const std::vector<MadeVariant>& made, OutputFormat format)
{
    std::vector<MadeVariant> variants;
    for (const MadeVariant& variant : made)
        if (variant.format == format)
            variants.push_back(variant);
    return variants;
}

std::string Srcset(const std::vector<MadeVariant>& variants)
{
    Texts entries;
    for (const MadeVariant& variant : variants)
        entries.push_back(Substitute("%1 %2w", UrlOf(variant.file), variant.dimensions.width()));
    return JoinTexts(entries, ", ");
}

} // namespace

std::string PictureElement(const std::vector<MadeVariant>& made, const std::string& sizes)
{
    std::vector<OutputFormat> formats;
    for (const MadeVariant& variant : made)
        if (std::find(formats.begin(), formats.end(), variant.format) == formats.end())
            formats.push_back(variant.format);
    if (formats.empty())
        return {};
    const std::string shownSizes = Attribute(sizes);
    std::string html = "<picture>\n";
    for (std::size_t i = 0; i + 1 < formats.size(); ++i)
        html += Substitute("  <source type=\"%1\" srcset=\"%2\" sizes=\"%3\">\n", FactsOf(formats[i]).mimeType,
                           Srcset(OfFormat(made, formats[i])), shownSizes);
    const std::vector<MadeVariant> fallback = OfFormat(made, formats.back());
    const MadeVariant& largest = fallback.back();
    html += Substitute("  <img src=\"%1\" srcset=\"%2\" sizes=\"%3\" width=\"%4\" height=\"%5\" alt=\"\">\n",
                       UrlOf(largest.file), Srcset(fallback), shownSizes, largest.dimensions.width(),
                       largest.dimensions.height());
    html += "</picture>\n";
    return html;
}

std::string VariantJsonLine(const std::string& input, std::int64_t originalBytes, const std::vector<MadeVariant>& made,
                            const Texts& warnings)
{
    JsonArray variants;
    for (const MadeVariant& variant : made) {
        JsonObject object;
        object.SetText("file", variant.file)
            .SetText("format", FactsOf(variant.format).key)
            .SetWhole("width", variant.dimensions.width())
            .SetWhole("height", variant.dimensions.height())
            .SetWhole("bytes", variant.bytes);
        if (variant.similarity)
            object.SetNumber("ssim", *variant.similarity);
        if (variant.kept)
            object.SetFlag("kept", true);
        variants.AppendObject(object);
    }
    JsonObject object;
    object.SetText("input", input)
        .SetWhole("original_bytes", originalBytes)
        .SetArray("variants", variants)
        .SetArray("warnings", JsonArray(warnings));
    return object.Compact() + '\n';
}

} // namespace pictaron
