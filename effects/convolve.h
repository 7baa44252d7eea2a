// Sharpen and blur: 3×3 weighted means with the edge pixels repeated.
//
// Choices that matter:
// - The kernels are built from whole-number amounts, so every weight, every
//   partial sum and the divisor are small integers that a float holds
//   exactly; the filter therefore sums in int, which gives the same result as
//   summing in float in any order, and is much faster.
// - A pixel is Clamp(Trunc(sum / divisor), 0, 255): the quotient truncates
//   toward zero (a negative sum gives 0, not -1 rounded).
// - Rows are independent and run on several threads; the bytes do not depend
//   on how many.
// - The sharpen kernel is deliberately lopsided: the two left corners weigh -1,
//   the two right corners 0 and the four direct neighbours +1.
#pragma once

#include "effects/bitmap.h"

#include <array>

namespace pictaron {

enum class ConvolveKind { Sharpen = 0, Blur = 1 };

// Nine weights as seen on the picture: above-left, above, above-right, left,
// centre, right, below-left, below, below-right.
using Kernel3x3 = std::array<int, 9>;

// Sharpen with amount a (-1 stands for 5): -1 1 0 / 1 a 1 / -1 1 0, divisor
// a + 2. Blur with amount a: 2 2 2 / 2 a 2 / 2 2 2, divisor a + 16.
Kernel3x3 BuildKernel(ConvolveKind kind, int amount);

// The sum of the nine weights.
int KernelSum(const Kernel3x3& kernel);

// Every pixel replaced by its neighbourhood weighted by the kernel and divided
// by the kernel's sum; all neighbourhoods are read from the unchanged source.
// An RGB888 picture (a PPM read in place) comes back in RGB888, any other as a
// working bitmap.
// Throws PictaronError for a kernel whose weights add up to 0, or whose sums
// could reach 2^24 in size (255 times the sum of the weights' sizes).
Bitmap ConvolveBitmap(const Bitmap& source, const Kernel3x3& kernel);

// The pipeline's entry: builds the kernel and filters, busy meanwhile.
Bitmap Convolve3x3(const Bitmap& source, ConvolveKind kind, int amount);

} // namespace pictaron
