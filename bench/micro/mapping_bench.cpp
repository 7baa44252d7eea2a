// Mapping a working bitmap to a palette: the cluster lookup on its own, the
// flat mapping pass and the Floyd–Steinberg dithering pass.
#include "bench/micro/benchpictures.h"
#include "effects/pixels.h"

#include "palette/mapping.h"
#include "palette/nearestcolour.h"
#include "palette/octree.h"

#include <map>

namespace pictaron::bench {

namespace {

// The photo's own optimised palette of 256 colours, as a GIF run builds it.
const Palette& PhotoPalette(Photo photo)
{
    static std::map<Photo, Palette> palettes;
    auto found = palettes.find(photo);
    if (found == palettes.end())
        found = palettes.emplace(photo, OptimisedPalette(WorkingBitmap(photo), 256)).first;
    return found->second;
}

void BM_ClusterBuild(benchmark::State& state)
{
    const Palette& palette = PhotoPalette(Photo::Medium);
    for (auto _ : state) {
        TPaletteCluster cluster;
        cluster.Build(palette);
        benchmark::DoNotOptimize(cluster.Lookup(0, 0, 0));
    }
}
BENCHMARK(BM_ClusterBuild)->Unit(benchmark::kMicrosecond);

// Every pixel of the photo looked up once, in row order.
void BM_ClusterLookup(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    TPaletteCluster cluster;
    cluster.Build(PhotoPalette(photo));
    for (auto _ : state) {
        int sum = 0;
        for (int y = 0; y < bitmap.height(); ++y) {
            const RGBTriple* row = RowPixels(bitmap, y);
            for (int x = 0; x < bitmap.width(); ++x)
                sum += cluster.Lookup(row[x].red, row[x].green, row[x].blue);
        }
        benchmark::DoNotOptimize(sum);
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_ClusterLookup)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

void BM_MapToPalette(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    const Palette& palette = PhotoPalette(photo);
    RunProgress progress;
    CancelFlag cancel;
    for (auto _ : state) {
        Bitmap indexed;
        MapToPalette(bitmap, palette, indexed, progress, cancel);
        benchmark::DoNotOptimize(indexed.constBits());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_MapToPalette)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

void BM_DitherToPalette(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    const Palette& palette = PhotoPalette(photo);
    RunProgress progress;
    CancelFlag cancel;
    for (auto _ : state) {
        Bitmap indexed;
        DitherToPalette(bitmap, palette, indexed, progress, cancel);
        benchmark::DoNotOptimize(indexed.constBits());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_DitherToPalette)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pictaron::bench
