// --progressive, --greyscale.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

constexpr std::string_view kProgressive = "progressive";
constexpr std::string_view kGreyscale = "greyscale";

std::string Usage()
{
    return std::string(
        "JPEG:\n"
        "  --progressive           progressive encoding\n"
        "  --greyscale             greyscale picture\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{std::string(kProgressive)}, ""},
        {{std::string(kGreyscale)}, ""},
    };
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    for (const std::string_view name : {kProgressive, kGreyscale}) {
        if (!CheckFormatOption(parser, name, s.format, {OutputFormat::Jpeg}, error))
            return false;
    }
    s.progressive = parser.IsSet(kProgressive);
    s.greyscale = parser.IsSet(kGreyscale);
    return true;
}

} // namespace

OptionGroup JpegOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
