// --keep-orientation, --keep-profile, --keep-metadata: what becomes of the
// tags a picture brings from its camera or editor.
#include "cli/optiongroups.h"

namespace pictaron {

namespace {

std::string Usage()
{
    return std::string(
        "Pictures from cameras and phones:\n"
        "  A picture is turned upright as its EXIF Orientation says (JPEG, TIFF, PNG,\n"
        "  WebP), and one with an embedded ICC colour profile (Display P3, Adobe RGB,\n"
        "  CMYK ...) is converted to sRGB, which web pages assume; results carry no\n"
        "  profile and no EXIF, XMP or IPTC metadata unless asked.\n"
        "  --keep-orientation      leave the picture as stored, not turned upright\n"
        "  --keep-profile          keep the source's colours unconverted and embed its\n"
        "                          profile in a JPEG, PNG, WebP or AVIF result (an RGB\n"
        "                          profile in colour, a grey one with --greyscale); a\n"
        "                          GIF cannot hold a profile, and CMYK pictures are\n"
        "                          always converted\n"
        "  --keep-metadata none|copyright|all\n"
        "                          EXIF and XMP a JPEG, PNG, WebP or AVIF result keeps:\n"
        "                          none (the default), the EXIF Artist and Copyright\n"
        "                          fields, or all EXIF and XMP but the thumbnail, with\n"
        "                          the Orientation set to 1; --json then lists them\n"
        "                          under \"metadata\". A block that cannot be read is\n"
        "                          left out, and so is one larger than one JPEG\n"
        "                          segment (64 KB) in a JPEG. A GIF has no place for\n"
        "                          metadata and keeps none\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{"keep-orientation"}, ""},
        {{"keep-profile"}, ""},
        {{"keep-metadata"}, "what"},
    };
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    s.keepOrientation = parser.IsSet("keep-orientation");
    s.keepProfile = parser.IsSet("keep-profile");
    int keep = static_cast<int>(s.keepMetadata);
    if (!ReadChoiceOption(parser, "keep-metadata",
                          {"none", "copyright", "all"}, keep, error))
        return false;
    s.keepMetadata = static_cast<KeepMetadata>(keep);
    return true;
}

} // namespace

OptionGroup SourceOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
