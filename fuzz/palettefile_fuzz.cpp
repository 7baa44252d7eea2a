// One palette reader on arbitrary bytes: the file's extension is the
// target's (PICTARON_PALETTE_EXTENSION: "pal" for JASC and RIFF palettes,
// "act", "gif"). A palette read must hold 1 to 256 entries; a file refused
// must be refused with a PictaronError.
#include "components/errors.h"
#include "components/qtbridge.h"
#include "fuzz/fuzzinput.h"
#include "palette/palettefile.h"

#include <cstddef>
#include <cstdint>

using namespace pictaron;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = fuzz::WriteInputFile(data, size, QStringLiteral(PICTARON_PALETTE_EXTENSION));
    try {
        const Palette palette = LoadPaletteFile(ToUtf8(path));
        if (palette.empty() || palette.size() > static_cast<std::size_t>(kMaxPaletteEntries))
            fuzz::Fail("a palette of this many entries", QString::number(palette.size()));
        unsigned sum = 0;
        for (const PaletteEntry& entry : palette)
            sum += entry.red + entry.green + entry.blue;
        volatile unsigned sink = sum;
        (void)sink;
    } catch (const PictaronError& error) {
        fuzz::Refused("LoadPaletteFile", ToQString(error.message()));
    }
    return 0;
}
