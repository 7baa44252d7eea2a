// Buttonize: bevelled button edges around the picture.
//
// Four bands along the edges in a highlight and a shadow colour derived from
// one line colour, mitred at the corners, optionally fading into the picture;
// inverted, the bands swap colours and the inner area darkens, a pressed
// button. A one-pixel black frame goes round it all.
//
// Choices that matter:
// - The band thicknesses are Round(W · (p · 0.01)) div 2 and the same with
//   H, formed in long double: at exact halves (W = 70, p = 5 gives 3.5 just
//   below the half in extended precision) double would round the other way.
// - Every band pixel is computed from the unchanged input; where bands overlap
//   the later one (order top, left, right, bottom) wins, which draws the mitres.
// - Bands thinner than one pixel on either axis end the run silently.
#pragma once

#include "effects/pixels.h"

#include "effects/bitmap.h"

namespace pictaron {

// Where the light comes from; NotSelected is the list with no item chosen and
// lights like TopLeft.
enum class Lighting { NotSelected = -1, None, TopLeft, TopRight, BottomLeft, BottomRight };

struct ButtonizeOptions {
    int widthPercent = 5;  // clamped to 0..100
    RGBTriple line{};      // the colour the bevel colours are mixed from
    Lighting lighting = Lighting::NotSelected;
    bool fade = false;
    bool invert = false;
};

// The thickness of the left and right bands (x) and of the top and bottom
// bands (y) for a picture of the given size.
struct BevelSize {
    int x = 0;
    int y = 0;
};
BevelSize ButtonBevel(int width, int height, int widthPercent);

// Throws RunDeclined (a RunCancelled) when a band would be thinner than one
// pixel.
Bitmap ButtonizeBitmap(const Bitmap& source, const ButtonizeOptions& options);

} // namespace pictaron
