// Transparency through the steps that move pixels.
//
// A picture with alpha comes from the loader flattened onto white, as every
// working bitmap is, with its alpha plane beside it. For a result that keeps
// the alpha, the steps that move or resample pixels (crop, flip, mirror,
// rotate, resize) run on the colours premultiplied by their alpha (over
// black) and on the alpha itself, as a grey working bitmap: so resampling
// weighs each colour by its coverage and a transparent pixel, black and
// weightless, never bleeds its hidden colour into its neighbours, and rotated
// corners come out black and transparent. Dividing by the alpha afterwards
// gives the straight colours the other steps and the encoders take.
//
// The premultiplied colour is recovered from the flattened one exactly as the
// flattening made it: flat = colour · alpha / 255 + (255 − alpha), so
// premultiplied = flat − (255 − alpha).
#pragma once

#include "effects/bitmap.h"

namespace pictaron {

// Working bitmap in, working bitmap out; the plane is Format_Grayscale8 of the
// same size.
Bitmap PremultipliedOverBlack(const Bitmap& flattened, const Bitmap& alphaPlane);

// The plane as a grey working bitmap (each pixel its alpha three times), and
// back (the first channel of each pixel).
Bitmap AlphaAsBitmap(const Bitmap& alphaPlane);
Bitmap AlphaPlaneOf(const Bitmap& greyBitmap);

// The straight colours: each channel divided by the pixel's alpha, rounded,
// at most 255; a fully transparent pixel is black.
Bitmap StraightColours(const Bitmap& premultiplied, const Bitmap& alphaBitmap);

// The straight colours shown over white, as a page without a background
// shows the picture.
Bitmap FlattenOntoWhite(const Bitmap& straight, const Bitmap& alphaPlane);

} // namespace pictaron
