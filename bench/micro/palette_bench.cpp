// Building the optimised palette: the octree feed and the whole palette.
#include "bench/micro/benchpictures.h"

#include "palette/octree.h"

namespace pictaron::bench {

namespace {

void BM_OctreeFeed(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    for (auto _ : state) {
        TColorQuantizer quantizer(static_cast<int>(state.range(1)), 6);
        quantizer.FeedPixels(bitmap);
        benchmark::DoNotOptimize(quantizer.LeafCount());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_OctreeFeed)
    ->ArgsProduct({{0, 1}, {256, 64}})
    ->ArgNames({"photo", "colours"})
    ->Unit(benchmark::kMillisecond);

void BM_OptimisedPalette(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    for (auto _ : state) {
        Palette palette = OptimisedPalette(bitmap, 256);
        benchmark::DoNotOptimize(palette.data());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_OptimisedPalette)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pictaron::bench
