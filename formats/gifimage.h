// A GIF picture as the program writes it: one frame, a global colour table and
// optionally one transparent colour.
//
// The object keeps the file's structure: a header with the logical screen and
// the global colour table, and frames with their own colour table, pixel
// indices and extensions. Assign makes one frame from an 8-bit picture; Pack
// moves that frame's colour table to the global one; SaveToBytes writes the
// file: "GIF87a", or "GIF89a" when a frame has an extension, the logical
// screen, the global table padded with black to a power of two, each frame's
// graphic control extension, image descriptor and LZW data (see giflzw.h),
// and the trailer. Frames are never interlaced.
#pragma once

#include "effects/bitmap.h"
#include "effects/pixels.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pictaron {

class TGIFColorMap {
public:
    int Count() const { return static_cast<int>(colours_.size()); }
    const RGBTriple& operator[](int index) const { return colours_[static_cast<std::size_t>(index)]; }
    bool IsEmpty() const { return colours_.empty(); }
    void Clear() { colours_.clear(); }
    // Appends a colour and returns its index; "Color table overflow" when the
    // table already holds 256.
    int Add(RGBTriple colour);
    // The highest index holding exactly this colour, or -1.
    int LastIndexOf(RGBTriple colour) const;
    // The smallest b in 1..8 with 2^b ≥ Count(); 0 for an empty table.
    int BitsPerPixel() const;
    // 2^b entries of red, green, blue; those past Count() black.
    void Write(std::string& out) const;

private:
    std::vector<RGBTriple> colours_;
};

class TGIFSubImage;

// The 89a graphic control block of a frame; here only for transparency.
class TGIFGraphicControlExtension {
public:
    explicit TGIFGraphicControlExtension(TGIFSubImage& frame) : frame_(frame) {}

    bool Transparent() const { return (packed_ & kTransparentFlag) != 0; }
    void SetTransparent(bool transparent);
    // Marks the frame's colour as transparent: the highest index holding it,
    // or the colour appended to the frame's table when it has no such entry.
    void SetTransparentColor(TColor colour);
    int TransparentIndex() const { return transparentIndex_; }

    void Write(std::string& out) const;

private:
    static constexpr std::uint8_t kTransparentFlag = 0x01;

    TGIFSubImage& frame_;
    std::uint8_t packed_ = 0;
    std::uint16_t delay_ = 0;
    std::uint8_t transparentIndex_ = 0;
};

class TGIFImage;

class TGIFSubImage {
public:
    explicit TGIFSubImage(TGIFImage& image) : image_(image) {}

    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    TGIFColorMap colorMap;  // local table; empty once packed
    std::vector<std::uint8_t> pixels;  // width·height indices, rows top down
    std::vector<std::unique_ptr<TGIFGraphicControlExtension>> extensions;

    TGIFGraphicControlExtension& AddGraphicControlExtension();
    // The table the pixels index: the frame's own, or the global one.
    TGIFColorMap& ActiveColorMap();
    const TGIFColorMap& ActiveColorMap() const;

    void Write(std::string& out) const;

private:
    TGIFImage& image_;
};

struct TGIFHeader {
    int width = 0;  // the logical screen
    int height = 0;
    std::uint8_t backgroundIndex = 0;
    std::uint8_t aspectRatio = 0;
    TGIFColorMap colorMap;  // the global table
};

// Frames refer back to their image, so an image stays where it was made.
class TGIFImage {
public:
    TGIFImage() = default;
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    // One frame from an 8-bit picture: its colour table in order and its
    // indices. PictaronError for other pictures and for sizes a GIF cannot
    // hold.
    void Assign(const Bitmap& picture);
    // A single frame's table becomes the global table, when that is empty.
    void Pack();
    std::string SaveToBytes() const;

    TGIFHeader header;
    std::vector<std::unique_ptr<TGIFSubImage>> images;
};

} // namespace pictaron
