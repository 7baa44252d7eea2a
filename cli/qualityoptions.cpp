// --quality, --lossless: what a result may give up of the picture, in each
// format that offers the choice.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

constexpr std::string_view kQuality = "quality";
constexpr std::string_view kLossless = "lossless";

std::string Usage()
{
    return std::string(
        "Quality (JPEG, WebP, AVIF):\n"
        "  --quality N             the quality of the chosen format: JPEG 1..100\n"
        "                          (default 80; values outside are clamped), WebP 0..100\n"
        "                          (default 80), AVIF 0..100 (default 60)\n"
        "  --lossless              a WebP or AVIF that keeps every pixel exactly (an\n"
        "                          AVIF then holds RGB, 4:4:4); not with --quality\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{std::string(kQuality)}, "n"},
        {{std::string(kLossless)}, ""},
    };
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    if (!CheckFormatOption(parser, kQuality, s.format, {OutputFormat::Jpeg, OutputFormat::Webp, OutputFormat::Avif},
                           error)
        || !CheckFormatOption(parser, kLossless, s.format, {OutputFormat::Webp, OutputFormat::Avif}, error))
        return false;
    if (parser.IsSet(kQuality) && parser.IsSet(kLossless)) {
        error = "Choose either --quality or --lossless.";
        return false;
    }
    switch (s.format) {
    case OutputFormat::Jpeg:
        // As the window's slider does.
        if (!ReadIntOption(parser, kQuality, s.jpegQuality, error))
            return false;
        s.jpegQuality = ClampJpegQuality(s.jpegQuality);
        return true;
    case OutputFormat::Webp:
        s.webpLossless = parser.IsSet(kLossless);
        return ReadIntOption(parser, kQuality, s.webpQuality, error, 0, 100);
    case OutputFormat::Avif:
        s.avifLossless = parser.IsSet(kLossless);
        return ReadIntOption(parser, kQuality, s.avifQuality, error, 0, 100);
    case OutputFormat::Gif:
    case OutputFormat::Png:
        break;
    }
    return true;
}

} // namespace

OptionGroup QualityOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
