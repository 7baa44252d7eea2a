// GIF's LZW compression of 8-bit pixels.
#include "bench/micro/benchpictures.h"
#include "effects/pixels.h"

#include "formats/giflzw.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace pictaron::bench {

namespace {

// The photo cut to 3-3-2 bits of red, green and blue: 256 colours with the
// runs and repeats of a photograph, without needing the palette code.
std::vector<std::uint8_t> IndexedPixels(const QImage& bitmap)
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

void BM_LzwEncode(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const QImage& bitmap = WorkingBitmap(photo);
    const std::vector<std::uint8_t> pixels = IndexedPixels(bitmap);
    for (auto _ : state) {
        QByteArray out;
        TLZWEncoder encoder;
        encoder.Encode(pixels.data(), pixels.size(), 8, out);
        benchmark::DoNotOptimize(out.constData());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_LzwEncode)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pictaron::bench
