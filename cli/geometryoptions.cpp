// --crop, --flip, --mirror, --rotate, --rotate-left, --corner-colour, --resize, --filter.
#include "cli/optiongroups.h"

#include "effects/resample.h"


namespace pictaron {

namespace {

std::string Usage()
{
    return std::string(
        "Geometry:\n"
        "  --crop L,T,R,B          keep the source pixels from L,T to R,B (right and bottom\n"
        "                          excluded; clamped to the picture as the crop frame is)\n"
        "  --flip                  flip top to bottom\n"
        "  --mirror                mirror left to right\n"
        "  --rotate DEG            rotate clockwise by 0..359 degrees\n"
        "  --rotate-left           rotate counter-clockwise instead\n"
        "  --corner-colour RRGGBB  colour of the corners a rotation uncovers\n"
        "                          (default: the button face colour)\n"
        "  --resize WxH            resize to W by H pixels\n"
        "  --filter NAME           box, triangle, hermite, bell, b-spline, lanczos3 (default)\n"
        "                          or mitchell\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{"crop"}, "l,t,r,b"},
        {{"flip"}, ""},
        {{"mirror"}, ""},
        {{"rotate"}, "deg"},
        {{"rotate-left"}, ""},
        {{"corner-colour"}, "colour"},
        {{"resize"}, "wxh"},
        {{"filter"}, "name"},
    };
}

bool ReadCrop(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    const std::string text = parser.Value("crop");
    const Texts parts = SplitAt(text, ',');
    int values[4] = {};
    bool ok = parts.size() == 4;
    for (std::size_t i = 0; ok && i < 4; ++i)
        ok = ReadInt(TrimmedUnicode(parts[i]), values[i]);
    if (!ok) {
        error = Substitute("--crop needs four whole numbers L,T,R,B, not \"%1\".", text);
        return false;
    }
    s.crop = true;
    s.cropTopLeft = Point(values[0], values[1]);
    s.cropBottomRight = Point(values[2], values[3]);
    return true;
}

bool ReadResize(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    // Digits only, as the size fields take them; a size of 0 is the run's to refuse.
    const std::string text = parser.Value("resize");
    const std::string_view size = WithoutFinalNewline(text);
    const std::size_t x = size.find_first_of("xX");
    const auto digits = [](std::string_view part) { return part.size() >= 1 && part.size() <= 9 && AllDigits(part); };
    if (x == std::string_view::npos || !digits(size.substr(0, x)) || !digits(size.substr(x + 1))) {
        error = Substitute("--resize needs a size as WIDTHxHEIGHT in pixels, not \"%1\".", text);
        return false;
    }
    s.resize = true;
    s.resizeWidth = static_cast<int>(*ParseWholeNumber(size.substr(0, x)));
    s.resizeHeight = static_cast<int>(*ParseWholeNumber(size.substr(x + 1)));
    return true;
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    if (parser.IsSet("crop") && !ReadCrop(parser, s, error))
        return false;
    s.flip = parser.IsSet("flip");
    s.mirror = parser.IsSet("mirror");
    if (parser.IsSet("rotate")) {
        if (!ReadIntOption(parser, "rotate", s.rotateAngle, error, 0, 359))
            return false;
        s.rotate = true;
    }
    s.rotateRight = !parser.IsSet("rotate-left");
    if (!ReadColourOption(parser, "corner-colour", s.cornerColour, error))
        return false;
    if (parser.IsSet("resize") && !ReadResize(parser, s, error))
        return false;

    Texts filters;
    for (const ResampleFilter& filter : ResampleFilterTable())
        filters.push_back(AsciiLower(filter.name));
    int method = static_cast<int>(s.resizeMethod);
    if (!ReadChoiceOption(parser, "filter", filters, method, error))
        return false;
    s.resizeMethod = static_cast<ResizeFilter>(method);
    return true;
}

} // namespace

OptionGroup GeometryOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
