#include "formats/metadatawrite.h"

#include "components/moduleloader.h"
#include "formats/colourprofile.h"
#include "formats/exifcodec.h"

namespace pictaron {

namespace {

const LazyModule exifModule({PICTARON_EXIF_MODULE_NAME, PICTARON_EXIF_MODULE_INSTALLED,
                             PICTARON_EXIF_MODULE_BUILT},
                            {"PictaronRewriteExif"});

// The block as KeptMetadata::exif has it.
std::string ExifToKeep(std::string_view exif, KeepMetadata keep, Size resultSize)
{
    if (keep == KeepMetadata::None || exif.empty())
        return std::string();
    std::string kept;
    exifModule.Required<PictaronRewriteExifFn>(0, "The EXIF module")(&exif, keep == KeepMetadata::Copyright,
                                                                     &resultSize, &kept);
    return kept;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The packet as KeptMetadata::xmp has it: well-formed UTF-8, and the value of
// every tiff:Orientation attribute or element, however the packet spells it
// (a number, with or without white space around it), set to 1.
std::string XmpToKeep(std::string_view xmp, KeepMetadata keep)
{
    if (keep != KeepMetadata::All || xmp.empty())
        return std::string();
    const std::string packet = ValidUtf8(xmp);
    std::string kept;
    kept.reserve(packet.size());
    std::size_t copied = 0;
    for (std::size_t at = 0; at < packet.size(); ++at) {
        std::size_t prefix = 0;
        for (const std::string_view start : {"tiff:Orientation=\"", "tiff:Orientation='", "<tiff:Orientation>"})
            if (std::string_view(packet).substr(at).starts_with(start))
                prefix = start.size();
        if (prefix == 0)
            continue;
        std::size_t end = at + prefix;
        while (end < packet.size() && IsSpace(packet[end]))
            ++end;
        const std::size_t digits = end;
        while (end < packet.size() && IsDigit(packet[end]))
            ++end;
        if (end == digits)
            continue;
        while (end < packet.size() && IsSpace(packet[end]))
            ++end;
        if (end == packet.size() || (packet[end] != '"' && packet[end] != '\'' && packet[end] != '<'))
            continue;
        kept.append(packet, copied, at + prefix - copied);
        kept += '1';
        copied = end;
        at = end - 1;
    }
    kept.append(packet, copied);
    return kept;
}

// Only JPEG limits a block: a marker segment's length field has 16 bits.
std::string App1Segment(std::string_view header, std::string_view block, const char* what, Texts& warnings)
{
    if (block.empty())
        return std::string();
    if (header.size() + block.size() > kMaxSegmentBytes) {
        warnings.push_back(Substitute("The %1 metadata is larger than one JPEG segment holds; it is left out.", what));
        return std::string();
    }
    return std::string(header) + std::string(block);
}

} // namespace

Texts KeptMetadata::Names() const
{
    Texts names;
    if (!exif.empty())
        names.push_back("exif");
    if (!xmp.empty())
        names.push_back("xmp");
    return names;
}

KeptMetadata MetadataToKeep(const SourceTags& source, KeepMetadata keep, Size resultSize)
{
    return {ExifToKeep(source.exif, keep, resultSize), XmpToKeep(source.xmp, keep)};
}

std::string ExifSegment(std::string_view exif, Texts& warnings)
{
    return App1Segment(std::string_view("Exif\0\0", 6), exif, "EXIF", warnings);
}

std::string XmpSegment(std::string_view xmp, Texts& warnings)
{
    return App1Segment(std::string_view("http://ns.adobe.com/xap/1.0/\0", 29), xmp, "XMP", warnings);
}

std::string ProfileToEmbed(const ConversionSettings& settings, const SourceTags& source, bool greyResult)
{
    if (!settings.keepProfile || source.icc.empty() || source.profileConverted)
        return std::string();
    const ProfileFacts facts = InspectProfile(source.icc);
    if (!facts.readable)
        return std::string();
    const bool fits = greyResult ? facts.space == ProfileSpace::Grey : facts.space == ProfileSpace::Rgb;
    return fits ? source.icc : std::string();
}

} // namespace pictaron
