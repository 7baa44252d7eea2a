// --interlace, --png-colours.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

constexpr std::string_view kInterlace = "interlace";
constexpr std::string_view kPngColours = "png-colours";

std::string Usage()
{
    return std::string(
        "PNG:\n"
        "  Truecolour, keeping the source's transparency, unless indexed.\n"
        "  --interlace             Adam7 interlacing: a browser shows the whole picture\n"
        "                          coarse first\n"
        "  --png-colours N         indexed PNG of 2..256 colours, as --colours N gives\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{std::string(kInterlace)}, ""},
        {{std::string(kPngColours)}, "n"},
    };
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    for (const std::string_view name : {kInterlace, kPngColours}) {
        if (!CheckFormatOption(parser, name, s.format, {OutputFormat::Png}, error))
            return false;
    }
    s.interlace = parser.IsSet(kInterlace);
    if (!parser.IsSet(kPngColours))
        return true;
    if (parser.IsSet("colours")) {
        error = "Choose either --png-colours or --colours.";
        return false;
    }
    s.pngIndexed = true;
    return ReadIntOption(parser, kPngColours, s.maxColours, error, 2, 256);
}

} // namespace

OptionGroup PngOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
