// Contrast, a per-channel table lookup over the whole bitmap.
#include "bench/micro/benchpictures.h"

#include "effects/tone.h"

namespace pictaron::bench {

namespace {

void BM_AdjustContrast(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    for (auto _ : state) {
        Bitmap adjusted = AdjustContrast(bitmap, 40);
        benchmark::DoNotOptimize(adjusted.constBits());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_AdjustContrast)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pictaron::bench
