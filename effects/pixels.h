// The working bitmap and the colour primitives every effect shares.
//
// A working bitmap is a Bitmap in Format_BGR888: pixel x of row y is the three
// bytes at scanLine(y) + 3·x in the order blue, green, red, which is exactly the
// layout of an RGBTriple. Rows are padded to four bytes, so always step from row
// to row with scanLine() or bytesPerLine(), never with 3·width.
#pragma once

#include "effects/bitmap.h"

#include <cmath>
#include <cstdint>

namespace pictaron {

// One pixel in memory order.
struct RGBTriple {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;

    friend bool operator==(const RGBTriple&, const RGBTriple&) = default;
};
static_assert(sizeof(RGBTriple) == 3, "an RGBTriple must match a pixel inside a row");

// A colour of the user interface: 0x00BBGGRR, red in the lowest byte. With the
// high bit set, the low byte names a system colour of the platform palette.
using TColor = std::uint32_t;

inline constexpr TColor kSystemColourFlag = 0x80000000u;
inline constexpr TColor clWindow = kSystemColourFlag | 5;
inline constexpr TColor clWindowText = kSystemColourFlag | 8;
inline constexpr TColor clHighlight = kSystemColourFlag | 13;
inline constexpr TColor clHighlightText = kSystemColourFlag | 14;
inline constexpr TColor clBtnFace = kSystemColourFlag | 15;
inline constexpr TColor clBtnShadow = kSystemColourFlag | 16;
inline constexpr TColor clBtnText = kSystemColourFlag | 18;
inline constexpr TColor clBtnHighlight = kSystemColourFlag | 20;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clSilver = 0xC0C0C0;

// A system colour becomes the RGB value the platform currently shows for it
// (through the source the window installs, else the classic colours); other
// values pass unchanged.
TColor ResolveSystemColour(TColor colour);
// Where system colours come from: the window's palette gives the colours of
// the desktop theme. Given the low byte of a system colour, it returns the RGB
// value, or the system colour itself when it has none to give.
using SystemColourSource = TColor (*)(int index);
void SetSystemColourSource(SystemColourSource source);
// A system colour as the classic desktop showed it (button face C0C0C0 …),
// the same on every machine; other values pass unchanged.
TColor ClassicSystemColour(TColor colour);

RGBTriple ColorToTriple(TColor colour);
TColor TripleToColor(RGBTriple triple);

// Rounds to the nearest integer with halves to the even neighbour (0.5 → 0,
// 1.5 → 2, -1.5 → -2). Callers pass long double where a product must be formed
// at extended precision: at exact halves double and extended can disagree.
template <typename Real>
inline long long Round(Real x) { return std::llrint(x); }

// Truncates toward zero.
template <typename Real>
inline long long Trunc(Real x) { return static_cast<long long>(x); }

int Clamp(int value, int low, int high);

// base + Round((other - base) · factor), unclamped; the product is formed in
// double from the single-precision factor.
int MixChannel(int base, int other, float factor);
RGBTriple MixColours(RGBTriple base, RGBTriple other, float factor);

// A fresh working bitmap of the given size (contents undefined); throws
// NotEnoughMemory, before anything is allocated, for one beyond
// kMaxBitmapBytes (effects/bitmapmemory.h), and when the memory cannot be had.
// With Format_RGB888, the same rows in RGB order: for the steps that keep a
// picture read in place in its file's order.
Bitmap NewWorkingBitmap(int width, int height, Bitmap::Format format = Bitmap::Format_BGR888);
// Any picture as a working bitmap; one that already is one is shared, not copied.
// Alpha is dropped, palette indices and grey levels become their colours.
Bitmap ToWorkingBitmap(const Bitmap& picture);

inline RGBTriple* RowPixels(Bitmap& bitmap, int y)
{
    return reinterpret_cast<RGBTriple*>(bitmap.scanLine(y));
}
inline const RGBTriple* RowPixels(const Bitmap& bitmap, int y)
{
    return reinterpret_cast<const RGBTriple*>(bitmap.constScanLine(y));
}

} // namespace pictaron
