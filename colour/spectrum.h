// The colour picker's hue spectrum and grey strip, as plain pictures.
//
// The spectrum has six bands of 65 rows, each band running from one anchor hue
// to the next (red, yellow, green, cyan, blue, purple and back to red). Every
// row goes from black on the left through its hue at x = 45 to white at x = 90.
// It is drawn 390 rows tall but the picture keeps only the top 384; reading
// below the picture gives black, and the nearest-point search still walks
// those rows, so a colour can be "found" just below the visible spectrum.
#pragma once

#include "effects/pixels.h"

#include <QImage>
#include <QPoint>

namespace pictaron {

inline constexpr int kSpectrumWidth = 91;
inline constexpr int kSpectrumBandHeight = 65;
inline constexpr int kSpectrumDrawnHeight = 6 * kSpectrumBandHeight; // 390
inline constexpr int kSpectrumPictureHeight = 384;
inline constexpr int kGreyStripHeight = 26;

// For i from first to last: each channel start - ((start - end) * (i - first))
// div n, n = max(1, last - first), so colours[first] = start and
// colours[last] = end. Nothing happens when last < first.
void GradientFill(RGBTriple* colours, int first, int last, RGBTriple start, RGBTriple end);

// The pixel of a working bitmap; negative coordinates count as 0 and a point at
// or beyond the right or bottom edge is black.
RGBTriple PixelAt(const QImage& bitmap, int x, int y);

// The full drawn spectrum, 91 x 390.
QImage DrawSpectrum();
// What the panel shows and reads: the drawn spectrum cut to 91 x 384.
QImage SpectrumPicture();
// Every row the ramp from black to white (grey 255 * x div 90 at column x).
QImage GreyStrip();

// The point of the spectrum for a colour: white and black go to the middle of
// the right and left edge; any other colour to its exact match or else the
// nearest point under PickerColourDistance, scanning x from the right and y
// from the bottom (the control's last row excluded), first found wins.
// controlSize is the spectrum control's size (91 x 390).
QPoint LocateInSpectrum(const QImage& picture, TColor colour, QSize controlSize);

} // namespace pictaron
