// The Lanczos3 resize: both passes, to half and to twice the size.
#include "bench/micro/benchpictures.h"

#include "effects/resample.h"

namespace pictaron::bench {

namespace {

// Args: photo, percent of the size.
void BM_ResampleLanczos3(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    const Size target(int(bitmap.width() * state.range(1) / 100), int(bitmap.height() * state.range(1) / 100));
    const ResampleFilter& lanczos3 = ResampleFilterTable()[5];
    const ResampleProgress noProgress = [](const std::string&, int, int) {};
    for (auto _ : state) {
        Bitmap resized = ResampleBitmap(bitmap, target, lanczos3.filter, lanczos3.support, noProgress);
        benchmark::DoNotOptimize(resized.constBits());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_ResampleLanczos3)
    ->Args({0, 50})->Args({1, 50})->Args({0, 200})->Args({1, 200})
    ->ArgNames({"photo", "percent"})
    ->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pictaron::bench
