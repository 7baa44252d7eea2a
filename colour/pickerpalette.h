// The colour picker's palette: always 256 cells (a 16 x 16 grid), of which the
// first count came from the file; the rest are black.
#pragma once

#include "effects/pixels.h"
#include "palette/palette.h"

#include <QPoint>
#include <QString>

#include <array>
#include <cstdint>

namespace pictaron {

inline constexpr int kPickerColumns = 16;
inline constexpr int kPickerCells = 256;

struct PickerPalette {
    std::array<PaletteEntry, kPickerCells> entries{};
    // How many entries the file gave; only those are sorted by luminance.
    int count = 0;

    TColor ColourAt(int index) const;
};

// Reads a palette file for the picker by its extension (letter case ignored):
// ".gif" its global colour table (always a count of 256, the black fill is
// sorted with the colours), ".pal" a JASC or RIFF palette, ".act" 256 colours,
// any other extension nothing (all black). At most 256 entries are taken.
// Throws PictaronError with the message to show: for a GIF without signature
// or global table the picker's own message, otherwise the palette reader's
// message naming the file (and the line of a faulty JASC palette).
PickerPalette LoadPickerPalette(const QString& path);

// (max(R, G, B) + min(R, G, B)) / 2, halves to the even neighbour.
std::uint8_t LuminanceKey(const PaletteEntry& entry);

// Sorts the first count entries by ascending LuminanceKey with a quicksort on
// the middle entry's key; equal keys end in the order that sort gives them,
// which the grid shows, so the sort is written out rather than left to the
// library. Nothing happens below two entries.
void SortByLuminance(PickerPalette& palette);

// The weighted distance 10 dG^2 + 3 dR^2 + dB^2 between the current colour and
// a candidate; a candidate whose green term alone reaches best is rejected with
// INT_MAX without further work. System colours are resolved first.
int PickerColourDistance(TColor current, TColor candidate, int best);

// The cell (column, row) nearest to colour, scanning column by column and each
// column from the top; the first cell with the smallest distance wins.
QPoint FindNearestColour(const PickerPalette& palette, TColor colour);

} // namespace pictaron
