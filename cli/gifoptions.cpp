// --colours, --palette, --dither, --transparent: the palette of a GIF, and of
// a PNG, which any of them makes indexed.
#include "cli/optiongroups.h"

#include "components/pathnames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pictaron {

namespace {

// A palette file must be there to be read: a name that is none would give a
// picture of 256 blacks, as would a file whose kind the name does not tell.
bool IsPaletteFile(const std::string& path, std::string& error)
{
    struct stat info {};
    const bool isFile = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    const int fd = isFile ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
    if (fd < 0) {
        error = Substitute("--palette must be optimized, websafe or a palette file that can be read; %1 is "
                           "none of them.",
                           path);
        return false;
    }
    ::close(fd);
    const std::string suffix = AsciiLower(SuffixOf(path));
    if (suffix != "pal" && suffix != "act" && suffix != "gif") {
        error = Substitute("--palette %1: a palette file is a .pal, .act or .gif file.", path);
        return false;
    }
    return true;
}

std::string Usage()
{
    return std::string(
        "GIF and indexed PNG:\n"
        "  Any of these makes a PNG indexed, with the pixels the GIF would have.\n"
        "  --colours N             2..256 colours (default 256; 0 gives 1, above 256 gives 256)\n"
        "  --palette P             optimized (default), websafe, or a .pal, .act or .gif file\n"
        "                          whose colours the picture is first reduced to\n"
        "  --dither                dithered instead of flat mapping\n"
        "  --transparent RRGGBB    make this colour transparent\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{"colours"}, "n"},
        {{"palette"}, "palette"},
        {{"dither"}, ""},
        {{"transparent"}, "colour"},
    };
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    const Texts names{"colours", "palette", "dither", "transparent"};
    for (const std::string& name : names) {
        if (!CheckFormatOption(parser, name, s.format, {OutputFormat::Gif, OutputFormat::Png}, error))
            return false;
    }
    if (s.format == OutputFormat::Png && AnySet(parser, names))
        s.pngIndexed = true;
    if (!ReadIntOption(parser, "colours", s.maxColours, error))
        return false;
    if (parser.IsSet("palette")) {
        const std::string palette = parser.Value("palette");
        if (EqualsNoCase(palette, "optimized") || EqualsNoCase(palette, "optimised"))
            s.palette = kOptimizedPalette;
        else if (EqualsNoCase(palette, "websafe"))
            s.palette = kWebsafePalette;
        else if (!IsPaletteFile(palette, error))
            return false;
        else
            s.palette = palette;
    }
    s.dither = parser.IsSet("dither");
    if (parser.IsSet("transparent")) {
        TColor colour = 0;
        if (!ReadColourOption(parser, "transparent", colour, error))
            return false;
        s.transparentColour = colour;
    }
    return true;
}

} // namespace

OptionGroup GifOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
