// A process that loads pictures as the program does, for tests that need one
// of its own: to see which programs it starts, how much memory it takes, or
// to run it under valgrind. Every argument is loaded in turn in the same
// process, and each gives one line on standard output:
//   ok WIDTH HEIGHT PIXELS   the BGR bytes in hex, row by row (a 64-bit
//                            FNV-1a hash of them above 4096 pixels)
//   error MESSAGE
// preceded by "warning LINE" for each warning of the load.
#include "components/errors.h"
#include "components/qtbridge.h"
#include "formats/pictureloader.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>

using namespace pictaron;

namespace {

QByteArray Pixels(const Bitmap& picture)
{
    QByteArray bytes;
    for (int y = 0; y < picture.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(picture.constScanLine(y)), 3 * picture.width());
    if (qint64(picture.width()) * picture.height() <= 4096)
        return bytes.toHex();
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : bytes)
        hash = (hash ^ static_cast<std::uint8_t>(c)) * 1099511628211ULL;
    return QByteArray::number(static_cast<qulonglong>(hash), 16);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const PictureLoader loader;
    for (const QString& path : app.arguments().mid(1)) {
        Texts warnings;
        try {
            const Bitmap picture = loader.Load(ToUtf8(path), &warnings);
            for (const std::string& warning : warnings)
                std::printf("warning %s\n", warning.c_str());
            std::printf("ok %d %d %s\n", picture.width(), picture.height(), Pixels(picture).constData());
        } catch (const PictaronError& error) {
            std::printf("error %s\n", error.what());
        }
        std::fflush(stdout);
    }
    return 0;
}
