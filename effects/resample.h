// Resampling: a separable two-pass filtered resize with seven filters.
//
// First every row is resampled to the new width into an intermediate working
// bitmap, then every column of the intermediate to the new height. For each
// pass the contributions (source index, weight) of every destination pixel are
// computed once.
//
// Choices that matter, all for results that match pixel for pixel:
// - The scale maps the first and last pixel centres onto each other,
//   (D - 1) / (S - 1); a source or destination of one pixel uses D / S, which
//   also keeps a one-pixel-wide target from dividing by a scale of 0.
// - Weights are not normalised; near hard edges the negative lobes of
//   Lanczos3 and Mitchell push sums past 0..255, which are clamped.
// - Source indices outside the picture are mirrored (-1 → 1, N → N - 1) and,
//   when a wide filter still reaches past a tiny source, clamped into it.
// - Each channel sums in float, every product and addition formed in double
//   and the sum rounded to float after each addition, in list order; the
//   intermediate holds bytes. Filters are evaluated in long double and return
//   float.
// - Both passes add whole rows: the horizontal pass turns a strip of rows at
//   a time so that each pixel's columns lie together, and the vertical pass
//   runs row by row over strips of columns. Each pixel still sums its
//   contributions in list order, so the bytes are those of the pixel-by-pixel
//   rule, but memory is read in order and the sums of a row run as vector
//   code. Strips share nothing and run on several threads (see
//   workerthreads.h); the progress callback is only ever called from the
//   calling thread.
#pragma once

#include "effects/bitmap.h"
#include "components/plaintext.h"
#include "components/sizes.h"

#include <array>
#include <functional>
#include <string>

namespace pictaron {

using FilterFunction = float (*)(float x);

float FilterBox(float x);
float FilterTriangle(float x);
float FilterHermite(float x);
float FilterBell(float x);
float FilterBSpline(float x);
float FilterLanczos3(float x);
float FilterMitchell(float x);

struct ResampleFilter {
    const char* name;   // as the resize method list shows it
    FilterFunction filter;
    float support;      // half-width
};

// In the order of the resize method list: Box, Triangle, Hermite, Bell,
// B-Spline, Lanczos3, Mitchell.
const std::array<ResampleFilter, 7>& ResampleFilterTable();

// (text, position, total): an empty text keeps the current text, a total
// below 0 keeps the current total.
using ResampleProgress = std::function<void(const std::string& text, int position, int total)>;

// The source resampled to target, as a working bitmap; an RGB888 source (a
// PPM read in place) is read as it is. Throws PictaronError "Source bitmap too
// small" for an empty source, and NotEnoughMemory when the result or the
// intermediate (the new width by the old height) would not fit in memory.
Bitmap ResampleBitmap(const Bitmap& source, Size target, FilterFunction filter, float support,
                      const ResampleProgress& progress);

// The resize of a picture that keeps its transparency: its colours
// premultiplied by their alpha (a working bitmap) and the alpha as a grey
// working bitmap, both resampled with the filter, scale and edge mirroring of
// ResampleBitmap, but each sum divided by the sum of its weights and kept in
// floating point from one pass to the next. So a transparent pixel lends
// nothing to its neighbours, and a region of one colour and alpha keeps both,
// where the unnormalised weights of the opaque resize would let them drift
// and clamp. Sums are clamped once at the end, the colours to their alpha.
struct PremultipliedPicture {
    Bitmap colours;
    Bitmap alpha;
};
PremultipliedPicture ResamplePremultiplied(const PremultipliedPicture& picture, Size target,
                                           const ResampleFilter& method, const ResampleProgress& progress);

inline constexpr char kResizeFailedMessage[] =
    "An error occurred while resizing this image.  Please select a different size for the image and try again.";

// Throws PictaronError for a width or height of 0 or less, with the message a
// run gives for it.
void CheckResizeSize(int width, int height);

// The resize step of a run. Throws PictaronError for a width or height of 0.
// When resampling fails, kResizeFailedMessage is appended to warnings and the
// working bitmap comes back unchanged, so the run can go on. A cancellation
// raised by the progress callback passes through, and so does the
// NotEnoughMemory of a result or intermediate beyond kMaxBitmapBytes, which
// ends the run with its message before anything of that size is allocated.
Bitmap ResizeStep(const Bitmap& working, int width, int height, const ResampleFilter& method,
                  const ResampleProgress& progress, Texts& warnings);

} // namespace pictaron
