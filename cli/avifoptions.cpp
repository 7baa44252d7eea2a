// --speed, --chroma.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

constexpr std::string_view kSpeed = "speed";
constexpr std::string_view kChroma = "chroma";

std::string Usage()
{
    return std::string(
        "AVIF:\n"
        "  8 bits a sample, keeping the source's transparency.\n"
        "  --speed N               0..10 (default 6): higher is faster and gives larger\n"
        "                          files\n"
        "  --chroma 420|444        colour at half the resolution both ways (420, the\n"
        "                          default) or at full resolution (444)\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{std::string(kSpeed)}, "n"},
        {{std::string(kChroma)}, "420|444"},
    };
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    for (const std::string_view name : {kSpeed, kChroma}) {
        if (!CheckFormatOption(parser, name, s.format, {OutputFormat::Avif}, error))
            return false;
    }
    if (!ReadIntOption(parser, kSpeed, s.avifSpeed, error, 0, 10))
        return false;
    int chroma = static_cast<int>(s.avifChroma);
    if (!ReadChoiceOption(parser, kChroma, {"420", "444"}, chroma, error))
        return false;
    s.avifChroma = static_cast<AvifChroma>(chroma);
    // --lossless was read before (QualityOptions comes first).
    if (s.avifLossless && parser.IsSet(kChroma) && s.avifChroma == AvifChroma::Yuv420) {
        error = "--chroma 420 halves the colour, which --lossless keeps whole; leave out one of them.";
        return false;
    }
    return true;
}

} // namespace

OptionGroup AvifOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
