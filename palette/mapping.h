// Turning a working bitmap into an indexed picture of a given palette.
//
// MapToPalette replaces every pixel by the colour the cluster lookup gives
// (TPaletteCluster). DitherToPalette diffuses each pixel's error Floyd–Steinberg
// fashion (7, 3, 5 and 1 sixteenths) along a serpentine path: even rows left to
// right, odd rows right to left with the kernel mirrored. Errors are integers
// with 10 fractional bits, every division truncates toward zero, a pixel's
// error is measured after clamping, and only two rows of error per channel are
// kept, so nothing leaves the last row.
//
// Both passes test the cancel flag before every row and throw RunCancelled
// when it is set; the target then holds the rows finished so far. Progress
// goes to ReportProgress every fifth row. Neither pass changes the source.
// Flat mapping runs on WorkerThreadCount() threads, with the same bytes as on
// one; the row tests and reports come from the calling thread after each
// batch of rows, in row order.
#pragma once

#include "app/progress.h"
#include "palette/palette.h"

#include "effects/bitmap.h"

namespace pictaron {

// target becomes an 8-bit picture of the source's size with the palette as its
// colour table. The palette must have at least one entry.
void MapToPalette(const Bitmap& source, const Palette& palette, Bitmap& target, RunProgress& progress,
                  const CancelFlag& cancel);
// The same on the given number of threads.
void MapToPalette(const Bitmap& source, const Palette& palette, Bitmap& target, RunProgress& progress,
                  const CancelFlag& cancel, int threads);
void DitherToPalette(const Bitmap& source, const Palette& palette, Bitmap& target, RunProgress& progress,
                     const CancelFlag& cancel);

// The working bitmap of an indexed picture: every pixel the exact colour of its
// palette entry.
Bitmap ExpandIndexedPicture(const Bitmap& indexed);

} // namespace pictaron
