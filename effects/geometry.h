// Geometry: crop, flip, mirror, rotate and tile.
//
// These steps move pixels without changing their colours. Each is a function
// of a const working bitmap returning a new one; the input is never touched.
//
// Choices that matter:
// - Rotation is nearest-neighbour about the centre with doubled offsets, so
//   that 0 degrees is exactly the identity and 180 degrees on even sizes is an
//   exact reversal; the output keeps the input's size and the uncovered
//   corners take the corner colour.
// - The angle, its sine and cosine, and the per-pixel sums are formed in long
//   double (x87 extended precision) before rounding to the nearest source
//   pixel, halves to even.
#pragma once

#include "effects/pixels.h"

#include "effects/bitmap.h"
#include "components/sizes.h"

namespace pictaron {

// The rectangle between two corners of the source, corners given in either
// order, right and bottom exclusive. The corners are first clamped as the crop
// frame clamps them (the first not left of or above the picture, the second
// not past its last column and row), so a frame over the whole picture drops
// the last column and row. Throws PictaronError when nothing is left.
Bitmap CropToSelection(const Bitmap& source, Point topLeft, Point bottomRight);

// Top to bottom.
Bitmap FlipBitmap(const Bitmap& source);
// Left to right.
Bitmap MirrorBitmap(const Bitmap& source);

// Turns the picture by whole degrees, clockwise when rotateRight is set and
// counter-clockwise otherwise; same size as the source.
Bitmap RotateBitmap(const Bitmap& source, int angle, RGBTriple cornerColour, bool rotateRight);

// A bitmap of the given size covered with copies of tile, the first at the
// top-left corner: result(x, y) = tile(x mod tile width, y mod tile height).
// The tile must hold at least one pixel.
Bitmap TileBitmap(Size size, const Bitmap& tile);

} // namespace pictaron
