// --effort.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

constexpr std::string_view kEffort = "effort";

std::string Usage()
{
    return std::string(
        "WebP:\n"
        "  Keeps the source's transparency.\n"
        "  --effort N              0..6 (default 4): the encoder's method; higher is\n"
        "                          slower and gives smaller files\n");
}

std::vector<OptionDefinition> Options()
{
    return {{{std::string(kEffort)}, "n"}};
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    return CheckFormatOption(parser, kEffort, s.format, {OutputFormat::Webp}, error)
        && ReadIntOption(parser, kEffort, s.webpEffort, error, 0, 6);
}

} // namespace

OptionGroup WebpOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
