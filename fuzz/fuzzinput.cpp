#include "fuzz/fuzzinput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace pictaron::fuzz {

namespace {

QString InputFolder()
{
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        const QString shm = QStringLiteral("/dev/shm");
        const QString base = QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
        auto made = std::make_unique<QTemporaryDir>(base + QStringLiteral("/pictaron-fuzz-XXXXXX"));
        if (!made->isValid())
            Fail("cannot make a folder for the inputs", made->errorString());
        return made;
    }();
    return folder->path();
}

} // namespace

QString WriteInputFile(const std::uint8_t* data, std::size_t size, const QString& extension)
{
    const QString path = InputFolder() + QStringLiteral("/input") + (extension.isEmpty() ? QString() : QLatin1Char('.') + extension);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size))
        Fail("cannot write the input file", file.errorString());
    file.close();
    return path;
}

void Refused(const char* how, const QString& message)
{
    static const bool verbose = qEnvironmentVariableIsSet("PICTARON_FUZZ_VERBOSE");
    if (verbose)
        std::fprintf(stderr, "%s refused: %s\n", how, qPrintable(message));
}

void Fail(const char* what, const QString& detail)
{
    std::fprintf(stderr, "FUZZ FINDING: %s%s%s\n", what, detail.isEmpty() ? "" : ": ", qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

} // namespace pictaron::fuzz
