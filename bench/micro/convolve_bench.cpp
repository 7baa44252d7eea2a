// The 3×3 filter, with the sharpen kernel at amount 5.
#include "bench/micro/benchpictures.h"

#include "effects/convolve.h"

namespace pictaron::bench {

namespace {

void BM_Convolve3x3(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    const Kernel3x3 kernel = BuildKernel(ConvolveKind::Sharpen, 5);
    for (auto _ : state) {
        Bitmap sharpened = ConvolveBitmap(bitmap, kernel);
        benchmark::DoNotOptimize(sharpened.constBits());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_Convolve3x3)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pictaron::bench
