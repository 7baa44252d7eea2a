#include "components/qtbridge.h"
#include "testpictures.h"

#include "effects/pixels.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <random>

namespace pictaron::testpictures {

namespace {

// Bitmap through the loader's own warnings, handed back as the tests' list.
template <typename Call>
Bitmap WithWarnings(QStringList* warnings, Call call)
{
    Texts found;
    Bitmap picture = call(warnings ? &found : nullptr);
    if (warnings)
        *warnings += ToQStringList(found);
    return picture;
}

} // namespace

Bitmap Load(const PictureLoader& loader, const QString& path, QStringList* warnings, Bitmap* alpha)
{
    return WithWarnings(warnings, [&](Texts* found) { return loader.Load(ToUtf8(path), found, alpha); });
}

Bitmap LoadForRun(const PictureLoader& loader, const QString& path, QStringList* warnings, Bitmap* alpha)
{
    return WithWarnings(warnings, [&](Texts* found) { return loader.LoadForRun(ToUtf8(path), found, alpha); });
}

Bitmap LoadFromMemory(const PictureLoader& loader, const QByteArray& bytes, const QString& name,
                      QStringList* warnings, Bitmap* alpha)
{
    return WithWarnings(warnings, [&](Texts* found) {
        return loader.LoadFromMemory(BytesView(bytes), ToUtf8(name), found, alpha);
    });
}

Bitmap PatternPicture(int width, int height, unsigned seed)
{
    Bitmap picture = NewWorkingBitmap(width, height);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < height; ++y) {
        RGBTriple* row = RowPixels(picture, y);
        for (int x = 0; x < width; ++x) {
            const bool block = ((x / 13) + (y / 9)) % 3 == 0;
            const int red = block ? 230 : 255 * x / std::max(1, width - 1);
            const int green = block ? 20 : 255 * y / std::max(1, height - 1);
            const int blue = (x * y) % 256;
            row[x].red = static_cast<std::uint8_t>(Clamp(red + noise(random), 0, 255));
            row[x].green = static_cast<std::uint8_t>(Clamp(green + noise(random), 0, 255));
            row[x].blue = static_cast<std::uint8_t>(Clamp(blue + noise(random), 0, 255));
        }
    }
    return picture;
}

QByteArray ToPpm(const Bitmap& picture)
{
    const Bitmap working = ToWorkingBitmap(picture);
    QByteArray ppm = QStringLiteral("P6\n%1 %2\n255\n").arg(working.width()).arg(working.height()).toLatin1();
    for (int y = 0; y < working.height(); ++y) {
        const RGBTriple* row = RowPixels(working, y);
        for (int x = 0; x < working.width(); ++x) {
            ppm.append(static_cast<char>(row[x].red));
            ppm.append(static_cast<char>(row[x].green));
            ppm.append(static_cast<char>(row[x].blue));
        }
    }
    return ppm;
}

QByteArray RunTool(const QString& program, const QStringList& arguments, const QByteArray& stdinBytes)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        return {};
    }
    process.write(stdinBytes);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << " failed: "
                      << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

QString SharedTestPicture(const QString& name)
{
    const QString path = QDir(QStringLiteral(PICTARON_TESTDATA)).filePath(name);
    return QFileInfo::exists(path) ? path : QString();
}

} // namespace pictaron::testpictures
