#include "bench/micro/benchpictures.h"

#include "components/atomicfile.h"
#include "effects/pixels.h"
#include "formats/jpegimage.h"
#include "formats/pictureloader.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

namespace pictaron::bench {

namespace {

std::string TestdataFile(Photo photo)
{
    return std::string(PICTARON_TESTDATA "/") + PhotoName(photo) + ".jpg";
}

bool Exists(const std::string& path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

Bitmap Synthetic(Photo photo)
{
    const int width = photo == Photo::Large ? 6028 : 1680;
    const int height = photo == Photo::Large ? 3391 : 1050;
    Bitmap bitmap = NewWorkingBitmap(width, height);
    std::mt19937 noise(42);
    for (int y = 0; y < height; ++y) {
        RGBTriple* row = RowPixels(bitmap, y);
        for (int x = 0; x < width; ++x) {
            const int n = static_cast<int>(noise() % 17) - 8;
            row[x].red = static_cast<std::uint8_t>(Clamp(255 * x / width + n, 0, 255));
            row[x].green = static_cast<std::uint8_t>(Clamp(255 * y / height + n, 0, 255));
            row[x].blue = static_cast<std::uint8_t>(Clamp(128 + (x - y) % 97 + n, 0, 255));
        }
    }
    return bitmap;
}

// A folder of the run's own for the files it makes, removed at exit. The
// name outlives every static so the exit handler can still read it.
const std::string& Scratch()
{
    static const std::string* const folder = [] {
        auto* name = new std::string("/tmp/pictaron-microbench-XXXXXX");
        if (!mkdtemp(name->data()))
            std::abort();
        std::atexit([] { [[maybe_unused]] const int status = std::system(("rm -rf '" + Scratch() + "'").c_str()); });
        return name;
    }();
    return *folder;
}

// The bitmap as a binary PPM: the header, then red, green, blue per pixel.
std::string PpmBytes(const Bitmap& bitmap)
{
    std::string bytes = "P6\n" + std::to_string(bitmap.width()) + " " + std::to_string(bitmap.height()) + "\n255\n";
    for (int y = 0; y < bitmap.height(); ++y) {
        const RGBTriple* row = RowPixels(bitmap, y);
        for (int x = 0; x < bitmap.width(); ++x)
            bytes += {static_cast<char>(row[x].red), static_cast<char>(row[x].green), static_cast<char>(row[x].blue)};
    }
    return bytes;
}

std::string JpegBytes(const Bitmap& bitmap)
{
    TJPEGImage jpeg;
    jpeg.SetQuality(90);
    jpeg.Assign(bitmap);
    jpeg.Compress();
    return std::string(jpeg.Data().bytes.view());
}

} // namespace

Photo PhotoArg(long long arg)
{
    return arg == 0 ? Photo::Medium : Photo::Large;
}

const char* PhotoName(Photo photo)
{
    return photo == Photo::Large ? "large-photo" : "medium-photo";
}

const Bitmap& WorkingBitmap(Photo photo)
{
    static std::map<Photo, Bitmap> loaded;
    auto found = loaded.find(photo);
    if (found == loaded.end()) {
        const std::string file = TestdataFile(photo);
        Bitmap bitmap = Exists(file) ? PictureLoader().Load(file) : Synthetic(photo);
        found = loaded.emplace(photo, bitmap).first;
    }
    return found->second;
}

std::string PhotoFile(Photo photo, const char* format)
{
    const std::string name = format;
    if (name == "jpg" && Exists(TestdataFile(photo)))
        return TestdataFile(photo);
    const std::string path = Scratch() + "/" + PhotoName(photo) + "." + name;
    if (!Exists(path))
        WriteFileAtomically(path, name == "jpg" ? JpegBytes(WorkingBitmap(photo)) : PpmBytes(WorkingBitmap(photo)));
    return path;
}

void CountPixels(benchmark::State& state, const Bitmap& bitmap, Photo photo)
{
    const double pixels = double(bitmap.width()) * bitmap.height();
    state.counters["Mpx/s"] = benchmark::Counter(pixels * double(state.iterations()) / 1e6,
                                                 benchmark::Counter::kIsRate);
    state.SetLabel(PhotoName(photo));
}

} // namespace pictaron::bench
