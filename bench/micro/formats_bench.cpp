// JPEG encoding and decoding of a working bitmap, and picture loading.
#include "bench/micro/benchpictures.h"

#include "formats/jpegimage.h"
#include "formats/pictureloader.h"

#include <benchmark/benchmark.h>

namespace pictaron::bench {

namespace {

enum JpegMode { kBaseline = 0, kProgressive = 1, kGreyscale = 2 };

// Args: photo, mode. Quality 80, as the whole-process JPEG cases.
void BM_JpegCompress(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const Bitmap& bitmap = WorkingBitmap(photo);
    TJPEGImage jpeg;
    jpeg.SetQuality(80);
    jpeg.SetProgressiveEncoding(state.range(1) == kProgressive);
    jpeg.SetGrayscale(state.range(1) == kGreyscale);
    jpeg.Assign(bitmap);
    for (auto _ : state) {
        jpeg.Compress();
        benchmark::DoNotOptimize(jpeg.Data().bytes.data());
    }
    CountPixels(state, bitmap, photo);
}
BENCHMARK(BM_JpegCompress)
    ->ArgsProduct({{0, 1}, {kBaseline, kProgressive, kGreyscale}})
    ->ArgNames({"photo", "mode"})
    ->Unit(benchmark::kMillisecond);

// The JPEG result is decoded again to be shown.
void BM_JpegDecode(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    TJPEGImage jpeg;
    jpeg.SetQuality(80);
    jpeg.Assign(WorkingBitmap(photo));
    jpeg.Compress();
    for (auto _ : state) {
        Bitmap shown = jpeg.Decode();
        benchmark::DoNotOptimize(shown.constBits());
    }
    CountPixels(state, WorkingBitmap(photo), photo);
}
BENCHMARK(BM_JpegDecode)->Arg(0)->Arg(1)->ArgName("photo")->Unit(benchmark::kMillisecond);

// Args: photo, format (0 PPM, 1 JPEG): the whole of PictureLoader::Load.
void BM_LoadPicture(benchmark::State& state)
{
    const Photo photo = PhotoArg(state.range(0));
    const char* format = state.range(1) == 0 ? "ppm" : "jpg";
    const std::string file = PhotoFile(photo, format);
    const PictureLoader loader;
    for (auto _ : state) {
        Bitmap picture = loader.Load(file);
        benchmark::DoNotOptimize(picture.constBits());
    }
    CountPixels(state, WorkingBitmap(photo), photo);
    state.SetLabel(std::string(PhotoName(photo)) + "." + format);
}
BENCHMARK(BM_LoadPicture)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"photo", "jpeg"})
    ->Unit(benchmark::kMillisecond);

} // namespace

} // namespace pictaron::bench
