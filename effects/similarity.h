// How much of a picture's structure an encoded result keeps: the structural
// similarity index (SSIM) of Wang, Bovik, Sheikh and Simoncelli (2004).
//
// Both pictures are compared in luma, Y = 0.299 R + 0.587 G + 0.114 B, kept
// in floating point. Means, variances and the covariance come from an 11 × 11
// Gaussian window of σ = 1.5 (the normalised weights exp(−k²/2σ²) for k in
// −5..5, taken across and then down), with the constants C1 = (0.01 · 255)²
// and C2 = (0.03 · 255)² and population (not sample) variances. The score is
// the mean of the index over every pixel whose whole window lies inside the
// picture, so no edge is ever made up: 1 for identical pictures, less the more
// the result's local structure, contrast and brightness differ.
#pragma once

#include "effects/bitmap.h"

#include <optional>

namespace pictaron {

// The window's side: a picture narrower or lower than this has no score.
inline constexpr int kSimilarityWindow = 11;

// The mean index of two pictures of the same size, in any layout a working
// bitmap can be made from (an indexed result, say); empty when they differ in
// size or either side is shorter than the window.
std::optional<double> StructuralSimilarity(const Bitmap& reference, const Bitmap& distorted);

} // namespace pictaron
