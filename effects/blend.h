// Blend: the working bitmap mixed with a second picture read from a file.
//
// The second picture is first fitted to the working bitmap's size, stretched
// (nearest neighbour, no smoothing) or tiled from the top-left corner; then
// each channel of each pixel is first + Round((second - first) · factor),
// halves to even, the factor being the weight of the second picture.
#pragma once

#include "effects/bitmap.h"
#include "components/sizes.h"

#include <string>

namespace pictaron {

// (bias + 100) · 0.005 formed in long double and held as a float: -100 gives
// 0, 0 gives 0.5, 100 gives 1. The bias is clamped to its track bar's range
// -100..100.
float BlendFactor(int bias);

// Each pixel MixColours(first, second, factor). The second bitmap must be at
// least as large as the first; only its top-left part is read.
Bitmap BlendBitmaps(const Bitmap& first, const Bitmap& second, float factor);

// The picture drawn into a bitmap of the given size, each target pixel taking
// the source pixel under its centre.
Bitmap StretchBitmap(const Bitmap& picture, Size size);

// The blend step of a run: when no file of that name exists, the working
// bitmap comes back as it is and the run goes on silently. A file that exists
// but cannot be read throws the loader's PictaronError.
Bitmap BlendStep(const Bitmap& working, const std::string& file, int bias, bool stretch);

} // namespace pictaron
