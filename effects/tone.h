// Tone: contrast and brightness, one channel of one pixel at a time.
//
// Choices that matter:
// - Contrast pivots on 127 and its ends are 0 and 254, so a full positive
//   contrast turns 255 into 254; the factor is the amount / 255 held as a
//   float and each product is formed in long double before rounding, halves
//   to even.
// - Amounts are clamped to -255..255 first: outside that range the contrast
//   formula would leave the byte range.
// - Both are a fixed mapping of the byte value, so each pass builds a
//   256-entry table once and then only looks values up.
#pragma once

#include "effects/bitmap.h"

namespace pictaron {

// The new value of one channel v (0..255) for the contrast factor k (-1..1).
int ContrastChannel(int v, float k);

// Per pixel: contrast first (when not 0), then brightness (when not 0).
Bitmap AdjustTone(const Bitmap& source, int brightness, int contrast);
Bitmap AdjustContrast(const Bitmap& source, int contrast);
Bitmap AdjustBrightness(const Bitmap& source, int brightness);

} // namespace pictaron
