// --blend, --blend-bias, --blend-tile, --contrast, --brightness, --sharpen, --blur.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

std::string Usage()
{
    return std::string(
        "Blend, tone and filters:\n"
        "  --blend FILE            mix in a second picture (skipped when FILE does not exist)\n"
        "  --blend-bias N          -100..100: weight of the second picture (default 0, half)\n"
        "  --blend-tile            tile the second picture instead of stretching it\n"
        "  --contrast N            -255..255 (values outside are clamped)\n"
        "  --brightness N          -255..255 (values outside are clamped)\n"
        "  --sharpen N             sharpen, 0..20 as the slider (0 strongest)\n"
        "  --blur N                blur, 0..20 as the slider (20 strongest)\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{"blend"}, "file"},
        {{"blend-bias"}, "n"},
        {{"blend-tile"}, ""},
        {{"contrast"}, "n"},
        {{"brightness"}, "n"},
        {{"sharpen"}, "n"},
        {{"blur"}, "n"},
    };
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    if (parser.IsSet("blend")) {
        s.blend = true;
        s.blendFile = parser.Value("blend");
    }
    if (!ReadIntOption(parser, "blend-bias", s.blendBias, error, -100, 100))
        return false;
    s.blendStretch = !parser.IsSet("blend-tile");

    // Values typed outside the sliders' range are clamped by the run, as the
    // window's edit boxes would pass them.
    s.contrast = parser.IsSet("contrast");
    if (!ReadIntOption(parser, "contrast", s.contrastAmount, error))
        return false;
    s.brightness = parser.IsSet("brightness");
    if (!ReadIntOption(parser, "brightness", s.brightnessAmount, error))
        return false;

    s.sharpen = parser.IsSet("sharpen");
    if (!ReadIntOption(parser, "sharpen", s.sharpenAmount, error, 0, 20))
        return false;
    s.blur = parser.IsSet("blur");
    return ReadIntOption(parser, "blur", s.blurAmount, error, 0, 20);
}

} // namespace

OptionGroup ToneOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
