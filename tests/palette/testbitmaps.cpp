#include "testbitmaps.h"

#include "effects/pixels.h"

#include <QDir>
#include <QFileInfo>

#include <random>

namespace pictaron::testbitmaps {

namespace {

RGBTriple Triple(Rgb colour)
{
    return RGBTriple{std::uint8_t(colour.blue), std::uint8_t(colour.green), std::uint8_t(colour.red)};
}

} // namespace

Bitmap PictureOf(std::initializer_list<std::initializer_list<Rgb>> rows)
{
    Bitmap bitmap = NewWorkingBitmap(static_cast<int>(rows.begin()->size()), static_cast<int>(rows.size()));
    int y = 0;
    for (const auto& row : rows) {
        int x = 0;
        for (const Rgb& colour : row)
            RowPixels(bitmap, y)[x++] = Triple(colour);
        ++y;
    }
    return bitmap;
}

Bitmap Uniform(int width, int height, Rgb colour)
{
    Bitmap bitmap = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            RowPixels(bitmap, y)[x] = Triple(colour);
    return bitmap;
}

Bitmap Noise(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    Bitmap bitmap = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto value = random();
            RowPixels(bitmap, y)[x] = RGBTriple{std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16)};
        }
    return bitmap;
}

Palette MakePalette(std::initializer_list<Rgb> colours)
{
    Palette palette;
    for (const Rgb& colour : colours)
        palette.push_back(PaletteEntry{std::uint8_t(colour.red), std::uint8_t(colour.green), std::uint8_t(colour.blue), 0});
    return palette;
}

std::vector<int> Indices(const Bitmap& indexed)
{
    std::vector<int> indices;
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x)
            indices.push_back(indexed.constScanLine(y)[x]);
    return indices;
}

QString SharedTestPicture(const QString& name)
{
    const QString path = QDir(QStringLiteral(PICTARON_TESTDATA)).filePath(name);
    return QFileInfo::exists(path) ? path : QString();
}

} // namespace pictaron::testbitmaps
