#include "formats/gifimage.h"

#include "components/errors.h"
#include "components/plaintext.h"
#include "formats/giflzw.h"

#include <algorithm>

namespace pictaron {

namespace {

constexpr int kMaxColours = 256;
constexpr int kMaxSide = 0xFFFF;  // sizes are 16-bit fields
constexpr char kExtensionIntroducer = 0x21;
constexpr char kGraphicControlLabel = static_cast<char>(0xF9);
constexpr char kImageSeparator = 0x2C;
constexpr char kTrailer = 0x3B;

void PutWord(std::string& out, int value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// The packed bits that announce a table of 2^b entries.
std::uint8_t TableSizeBits(const TGIFColorMap& map)
{
    return static_cast<std::uint8_t>(map.BitsPerPixel() - 1);
}

} // namespace

int TGIFColorMap::Add(RGBTriple colour)
{
    if (Count() >= kMaxColours)
        throw PictaronError(std::string("Color table overflow"));
    colours_.push_back(colour);
    return Count() - 1;
}

int TGIFColorMap::LastIndexOf(RGBTriple colour) const
{
    for (int i = Count() - 1; i >= 0; --i)
        if ((*this)[i] == colour)
            return i;
    return -1;
}

int TGIFColorMap::BitsPerPixel() const
{
    if (colours_.empty())
        return 0;
    int bits = 1;
    while ((1 << bits) < Count())
        ++bits;
    return bits;
}

void TGIFColorMap::Write(std::string& out) const
{
    if (colours_.empty())
        return;
    for (const RGBTriple& colour : colours_) {
        out.push_back(static_cast<char>(colour.red));
        out.push_back(static_cast<char>(colour.green));
        out.push_back(static_cast<char>(colour.blue));
    }
    out.append(3 * ((1 << BitsPerPixel()) - Count()), '\0');
}

void TGIFGraphicControlExtension::SetTransparent(bool transparent)
{
    packed_ = transparent ? packed_ | kTransparentFlag : packed_ & ~kTransparentFlag;
}

void TGIFGraphicControlExtension::SetTransparentColor(TColor colour)
{
    const RGBTriple triple = ColorToTriple(colour);
    TGIFColorMap& map = frame_.ActiveColorMap();
    const int index = map.LastIndexOf(triple);
    transparentIndex_ = static_cast<std::uint8_t>(index >= 0 ? index : map.Add(triple));
}

void TGIFGraphicControlExtension::Write(std::string& out) const
{
    out.push_back(kExtensionIntroducer);
    out.push_back(kGraphicControlLabel);
    out.push_back('\x04');
    out.push_back(static_cast<char>(packed_));
    PutWord(out, delay_);
    out.push_back(static_cast<char>(transparentIndex_));
    out.push_back('\0');
}

TGIFGraphicControlExtension& TGIFSubImage::AddGraphicControlExtension()
{
    extensions.push_back(std::make_unique<TGIFGraphicControlExtension>(*this));
    return *extensions.back();
}

TGIFColorMap& TGIFSubImage::ActiveColorMap()
{
    return colorMap.IsEmpty() ? image_.header.colorMap : colorMap;
}

const TGIFColorMap& TGIFSubImage::ActiveColorMap() const
{
    return colorMap.IsEmpty() ? image_.header.colorMap : colorMap;
}

void TGIFSubImage::Write(std::string& out) const
{
    for (const auto& extension : extensions)
        extension->Write(out);
    out.push_back(kImageSeparator);
    PutWord(out, left);
    PutWord(out, top);
    PutWord(out, width);
    PutWord(out, height);
    if (colorMap.IsEmpty()) {
        out.push_back('\0');
    } else {
        out.push_back(static_cast<char>(0x80 | TableSizeBits(colorMap)));
        colorMap.Write(out);
    }
    TLZWEncoder encoder;
    encoder.Encode(pixels.data(), pixels.size(), ActiveColorMap().BitsPerPixel(), out);
}

void TGIFImage::Assign(const Bitmap& picture)
{
    if (picture.format() != Bitmap::Format_Indexed8 || picture.colorCount() == 0)
        throw PictaronError(std::string("Only a picture of at most 256 colours can be written as a GIF."));
    if (picture.width() > kMaxSide || picture.height() > kMaxSide)
        throw PictaronError(Substitute("A GIF picture can be at most %1 by %1 pixels.", kMaxSide));

    header = TGIFHeader{};
    images.clear();
    auto frame = std::make_unique<TGIFSubImage>(*this);
    frame->width = picture.width();
    frame->height = picture.height();
    for (const Argb colour : picture.colorTable())
        frame->colorMap.Add(RGBTriple{std::uint8_t(BlueOf(colour)), std::uint8_t(GreenOf(colour)), std::uint8_t(RedOf(colour))});
    frame->pixels.resize(static_cast<std::size_t>(frame->width) * static_cast<std::size_t>(frame->height));
    for (int y = 0; y < frame->height; ++y)
        std::copy_n(picture.constScanLine(y), frame->width,
                    frame->pixels.begin() + static_cast<std::ptrdiff_t>(y) * frame->width);
    header.width = frame->width;
    header.height = frame->height;
    images.push_back(std::move(frame));
}

void TGIFImage::Pack()
{
    if (!header.colorMap.IsEmpty() || images.size() != 1)
        return;
    header.colorMap = images.front()->colorMap;
    images.front()->colorMap.Clear();
}

std::string TGIFImage::SaveToBytes() const
{
    const bool extended = std::any_of(images.begin(), images.end(),
                                      [](const auto& frame) { return !frame->extensions.empty(); });
    std::string out;
    out.reserve(static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.height) / 2 + 1024);
    out.append(extended ? "GIF89a" : "GIF87a");
    PutWord(out, header.width);
    PutWord(out, header.height);
    if (header.colorMap.IsEmpty()) {
        out.push_back('\0');
    } else {
        // Colour resolution and table size both from the table's bit depth;
        // the sort flag stays clear.
        const std::uint8_t bits = TableSizeBits(header.colorMap);
        out.push_back(static_cast<char>(0x80 | bits << 4 | bits));
    }
    out.push_back(static_cast<char>(header.backgroundIndex));
    out.push_back(static_cast<char>(header.aspectRatio));
    header.colorMap.Write(out);
    for (const auto& frame : images)
        frame->Write(out);
    out.push_back(kTrailer);
    return out;
}

} // namespace pictaron
