// The pictures the micro-benchmarks work on.
//
// The photographs of the shared test data, loaded once as working bitmaps;
// without that folder a synthetic picture of the same size stands in (smooth
// gradients with noise, so that colour reduction and compression have real
// work to do).
#pragma once

#include "effects/bitmap.h"

#include <string>

#include <benchmark/benchmark.h>

namespace pictaron::bench {

enum class Photo { Medium, Large };

// Benchmark argument → photo: 0 the medium photo (1680 × 1050), 1 the large
// one (6028 × 3391).
Photo PhotoArg(long long arg);
const char* PhotoName(Photo photo);

const Bitmap& WorkingBitmap(Photo photo);

// A file of the photo in the given format ("ppm" or "jpg"), made once in a
// temporary folder when the test data has no such file.
std::string PhotoFile(Photo photo, const char* format);

// Adds an "Mpx/s" rate over the pixels of bitmap per iteration, and the
// photo's name as the label.
void CountPixels(benchmark::State& state, const Bitmap& bitmap, Photo photo);

} // namespace pictaron::bench
