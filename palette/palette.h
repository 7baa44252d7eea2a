// The palette shared by colour reduction, the passes and the GIF writer.
//
// A palette is an ordered list of 0 to 256 colours. Index order matters: the
// pixels of an indexed picture are indices into it, and the nearest-colour
// searches break ties by index. Palettes are plain values; changing one means
// building a new list.
#pragma once

#include "effects/bitmap.h"

#include <cstdint>
#include <vector>

namespace pictaron {

struct PaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    // Carried for palette files that have it (RIFF flags); never interpreted,
    // and 0 in every palette the program builds.
    std::uint8_t flags = 0;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

using Palette = std::vector<PaletteEntry>;

inline constexpr int kMaxPaletteEntries = 256;

// The 216 colours whose channels are multiples of 51; red changes slowest and
// blue fastest, so entry 36·r + 6·g + b is (51·r, 51·g, 51·b).
Palette WebSafePalette();

// The colour table of an indexed picture.
std::vector<Argb> ToColorTable(const Palette& palette);

// A fresh 8-bit picture of the given size with the palette as its colour
// table (pixels undefined).
Bitmap NewIndexedPicture(int width, int height, const Palette& palette);

} // namespace pictaron
