// The picture loader on arbitrary bytes. The first byte picks the file name's
// extension (the formats without a signature are known by it), the rest is
// the file. Every picture the loader accepts must be a working bitmap of at
// most the pixel limit, each of whose bytes can be read; anything it refuses
// must be refused with a PictaronError.
#include "components/errors.h"
#include "components/qtbridge.h"
#include "formats/pictureloader.h"
#include "fuzz/fuzzinput.h"

#include <QByteArray>
#include "effects/bitmap.h"

#include <cstddef>
#include <cstdint>

using namespace pictaron;

namespace {

const char* const kExtensions[] = {"pic", "tga", "pcd"};

void CheckPicture(const Bitmap& picture, const char* how)
{
    if (picture.isNull())
        fuzz::Fail(how, QStringLiteral("an empty picture instead of an error"));
    if (picture.format() != Bitmap::Format_BGR888 && picture.format() != Bitmap::Format_RGB888)
        fuzz::Fail(how, QStringLiteral("a picture in format %1").arg(picture.format()));
    if (static_cast<qint64>(picture.width()) * picture.height() > PictureLoader::kMaxPixels)
        fuzz::Fail(how, QStringLiteral("%1 by %2 pixels, above the limit").arg(picture.width()).arg(picture.height()));
    // Read every byte of every row, so the sanitizer sees a row that is not there.
    unsigned sum = 0;
    const qsizetype rowBytes = qsizetype(3) * picture.width();
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* row = picture.constScanLine(y);
        for (qsizetype x = 0; x < rowBytes; ++x)
            sum += row[x];
    }
    volatile unsigned sink = sum;
    (void)sink;
}

// LoadFromMemory where this loader has it, the file's bytes otherwise.
template <typename Loader>
Bitmap LoadBytes(const Loader& loader, std::string_view bytes, const std::string& path)
{
    if constexpr (requires { loader.LoadFromMemory(bytes, path); })
        return loader.LoadFromMemory(bytes, path);
    else
        return loader.Load(path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const char* extension = kExtensions[data[0] % std::size(kExtensions)];
    const std::string path = ToUtf8(fuzz::WriteInputFile(data + 1, size - 1, QString::fromLatin1(extension)));
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const PictureLoader loader;
    try {
        CheckPicture(LoadBytes(loader, bytes, path), "Load");
    } catch (const PictaronError& error) {
        fuzz::Refused("Load", ToQString(error.message()));
    }
    try {
        CheckPicture(loader.LoadForRun(path), "LoadForRun");
    } catch (const PictaronError& error) {
        fuzz::Refused("LoadForRun", ToQString(error.message()));
    }
    return 0;
}
