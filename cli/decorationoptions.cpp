// --buttonize, --button-colour, --lighting, --fade, --invert, --caption,
// --caption-location, --font, --caption-style, --caption-colour.
#include "cli/optiongroups.h"

#include <cstdint>
#include <optional>

namespace pictaron {

namespace {

// A caption taller than this is no caption.
constexpr int kMaxFontPixels = 1000;

std::string Usage()
{
    return std::string(
        "Buttonize and caption:\n"
        "  --buttonize PERCENT     bevelled button edges, PERCENT of the size (0..100)\n"
        "  --button-colour RRGGBB  line colour of the bevel (default black)\n"
        "  --lighting L            none, top-left, top-right, bottom-left or bottom-right\n"
        "                          (default: lit as from the top left)\n"
        "  --fade                  bevel bands fade into the picture\n"
        "  --invert                pressed look\n"
        "  --caption TEXT          write TEXT on the picture\n"
        "  --caption-location L    top (default), center, bottom, or caption: a white strip\n"
        "                          added below the picture\n"
        "  --font FAMILY[,PIXELS]  caption font and its height in pixels (default\n"
        "                          \"MS Sans Serif\",11, or the installed font that stands in)\n"
        "  --caption-style S       regular (default), bold, italic or bold-italic\n"
        "  --caption-colour RRGGBB colour of the caption text (default black)\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{"buttonize"}, "percent"},
        {{"button-colour"}, "colour"},
        {{"lighting"}, "lighting"},
        {{"fade"}, ""},
        {{"invert"}, ""},
        {{"caption"}, "text"},
        {{"caption-location"}, "location"},
        {{"font"}, "font"},
        {{"caption-style"}, "style"},
        {{"caption-colour"}, "colour"},
    };
}

// "FAMILY" or "FAMILY,PIXELS"; a family may itself hold commas.
bool ReadFont(const std::string& text, CaptionFont& font, std::string& error)
{
    std::string_view family = TrimmedUnicode(text);
    const std::size_t comma = family.rfind(',');
    if (comma != std::string_view::npos) {
        const std::optional<std::int64_t> pixels = ParseWholeNumber(TrimmedUnicode(family.substr(comma + 1)));
        if (!pixels || *pixels < 1 || *pixels > kMaxFontPixels) {
            error = Substitute("--font needs FAMILY or FAMILY,PIXELS with PIXELS from 1 to %1, not \"%2\".",
                               kMaxFontPixels, text);
            return false;
        }
        font.pixelHeight = static_cast<int>(*pixels);
        family = TrimmedUnicode(family.substr(0, comma));
    }
    if (family.empty()) {
        error = Substitute("--font needs a font family, not \"%1\".", text);
        return false;
    }
    font.family = std::string(family);
    return true;
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    s.buttonize = parser.IsSet("buttonize");
    if (!ReadIntOption(parser, "buttonize", s.buttonWidth, error))
        return false;
    s.buttonWidth = Clamp(s.buttonWidth, 0, 100);
    TColor line = clBlack;  // an empty colour entry
    if (!ReadColourOption(parser, "button-colour", line, error))
        return false;
    s.buttonLine = ColorToTriple(line);
    int lighting = static_cast<int>(s.lighting);
    if (!ReadChoiceOption(parser, "lighting",
                          {"none", "top-left", "top-right",
                           "bottom-left", "bottom-right"},
                          lighting, error))
        return false;
    s.lighting = static_cast<Lighting>(lighting);
    s.fade = parser.IsSet("fade");
    s.invert = parser.IsSet("invert");

    if (parser.IsSet("caption")) {
        s.caption = true;
        s.captionText = parser.Value("caption");
    }
    int location = static_cast<int>(s.captionLocation);
    if (!ReadChoiceOption(parser, "caption-location",
                          {"top", "center", "bottom",
                           "caption"},
                          location, error))
        return false;
    s.captionLocation = static_cast<CaptionLocation>(location);
    int style = 0;  // bit 0 bold, bit 1 italic
    if (!ReadChoiceOption(parser, "caption-style",
                          {"regular", "bold", "italic",
                           "bold-italic"},
                          style, error))
        return false;
    s.captionFont.bold = (style & 1) != 0;
    s.captionFont.italic = (style & 2) != 0;
    if (!ReadColourOption(parser, "caption-colour", s.captionFont.colour, error))
        return false;
    return !parser.IsSet("font") || ReadFont(parser.Value("font"), s.captionFont, error);
}

} // namespace

OptionGroup DecorationOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
