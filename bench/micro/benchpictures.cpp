#include "bench/micro/benchpictures.h"

#include "effects/pixels.h"
#include "formats/pictureloader.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <map>
#include <random>

namespace pictaron::bench {

namespace {

QString TestdataFile(Photo photo)
{
    return QStringLiteral(PICTARON_TESTDATA "/%1.jpg").arg(QString::fromLatin1(PhotoName(photo)));
}

QImage Synthetic(Photo photo)
{
    const int width = photo == Photo::Large ? 6028 : 1680;
    const int height = photo == Photo::Large ? 3391 : 1050;
    QImage bitmap = NewWorkingBitmap(width, height);
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

QTemporaryDir& Scratch()
{
    static QTemporaryDir folder;
    return folder;
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

const QImage& WorkingBitmap(Photo photo)
{
    static std::map<Photo, QImage> loaded;
    auto found = loaded.find(photo);
    if (found == loaded.end()) {
        const QString file = TestdataFile(photo);
        QImage bitmap = QFileInfo::exists(file) ? PictureLoader().Load(file) : Synthetic(photo);
        found = loaded.emplace(photo, bitmap).first;
    }
    return found->second;
}

QString PhotoFile(Photo photo, const char* format)
{
    const QString name = QString::fromLatin1(format);
    if (name == QLatin1String("jpg") && QFileInfo::exists(TestdataFile(photo)))
        return TestdataFile(photo);
    const QString path = Scratch().filePath(QString::fromLatin1(PhotoName(photo)) + QLatin1Char('.') + name);
    if (!QFileInfo::exists(path))
        WorkingBitmap(photo).save(path, format, 90);
    return path;
}

void CountPixels(benchmark::State& state, const QImage& bitmap, Photo photo)
{
    const double pixels = double(bitmap.width()) * bitmap.height();
    state.counters["Mpx/s"] = benchmark::Counter(pixels * double(state.iterations()) / 1e6,
                                                 benchmark::Counter::kIsRate);
    state.SetLabel(PhotoName(photo));
}

} // namespace pictaron::bench
