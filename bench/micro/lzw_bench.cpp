// GIF's LZW compression of 8-bit pixels.
#include "bench/micro/benchpictures.h"
#include "effects/pixels.h"

#include "formats/giflzw.h"
#include "palette/mapping.h"
#include "palette/octree.h"

#include <string>

#include <cstdint>
#include <vector>

namespace pictaron::bench {

namespace {

// The photo cut to 3-3-2 bits of red, green and blue: 256 colours with the
// runs and repeats of a photograph, without needing the palette code.
std::vector<std::uint8_t> IndexedPixels(const Bitmap& bitmap)
{
    std::vector<std::uint8_t> pixels;
    pixels.reserve(std::size_t(bitmap.width()) * bitmap.height());
    for (int y = 0; y < bitmap.height(); ++y) {
        const RGBTriple* row = RowPixels(bitmap, y);
        for (int x = 0; x < bitmap.width(); ++x)
            pixels.push_back(std::uint8_t((row[x].red & 0xE0) | (row[x].green >> 5 << 2) | (row[x].blue >> 6)));
    }
    return pixels;
}

// The photo dithered to its own 256 colours, as a GIF run writes it: short
// strings, so a pixel ends a string far more often than in the cut photo.
std::vector<std::uint8_t> DitheredPixels(const Bitmap& bitmap)
{
    Bitmap indexed;
    RunProgress progress;
    CancelFlag cancel;
    DitherToPalette(bitmap, OptimisedPalette(bitmap, 256), indexed, progress, cancel);
    std::vector<std::uint8_t> pixels;
    pixels.reserve(std::size_t(bitmap.width()) * bitmap.height());
    for (int y = 0; y < indexed.height(); ++y)
        pixels.insert(pixels.end(), indexed.constScanLine(y), indexed.constScanLine(y) + indexed.width());
    return pixels;
}

void EncodeLoop(benchmark::State& state, const std::vector<std::uint8_t>& pixels)
{
    for (auto _ : state) {
        std::string out;
        TLZWEncoder encoder;
        encoder.Encode(pixels.data(), pixels.size(), 8, out);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_LzwEncode(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    EncodeLoop(state, IndexedPixels(bitmap));
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_LzwEncode)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

void BM_LzwEncodeDithered(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    EncodeLoop(state, DitheredPixels(bitmap));
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_LzwEncodeDithered)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pictaron::bench
