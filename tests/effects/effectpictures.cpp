#include "effectpictures.h"

#include <QFileInfo>
#include <QGuiApplication>

#include <random>

namespace pictaron::effecttests {

Bitmap Filled(int width, int height, RGBTriple colour)
{
    Bitmap picture = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        std::fill_n(RowPixels(picture, y), width, colour);
    return picture;
}

Bitmap Noise(int width, int height, unsigned seed)
{
    std::mt19937 random(seed);
    Bitmap picture = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            RowPixels(picture, y)[x] = RGBTriple{std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random())};
    return picture;
}

Bitmap VerticalEdge(int width, int height, int firstRightColumn, RGBTriple left, RGBTriple right)
{
    Bitmap picture = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            RowPixels(picture, y)[x] = x < firstRightColumn ? left : right;
    return picture;
}

RGBTriple Pixel(const Bitmap& picture, int x, int y)
{
    return RowPixels(picture, y)[x];
}

std::unique_ptr<QGuiApplication> MakeGuiApplication()
{
    if (QCoreApplication::instance())
        return nullptr;
    static int argc = 1;
    static char name[] = "effects_tests";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

QString SharedPicture(const QString& name)
{
    const QString path = QStringLiteral(PICTARON_TESTDATA) + QLatin1Char('/') + name;
    return QFileInfo::exists(path) ? path : QString();
}

ThreadsVariable::ThreadsVariable(const QByteArray& value)
    : wasSet_(qEnvironmentVariableIsSet("PICTARON_THREADS")), before_(qgetenv("PICTARON_THREADS"))
{
    qputenv("PICTARON_THREADS", value);
}

ThreadsVariable::~ThreadsVariable()
{
    if (wasSet_)
        qputenv("PICTARON_THREADS", before_);
    else
        qunsetenv("PICTARON_THREADS");
}

} // namespace pictaron::effecttests
