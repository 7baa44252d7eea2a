// The GIF writer on random indexed pictures: size, palette, pixels and the
// transparent colour all come from the input. Each file written is read
// back by the strict reader of the tests (tests/formats/gifchecker.*), which
// checks every promise of the writer's format, and its header, colour table,
// transparent index and every pixel must be what went in. A picture the
// writer must refuse (a side above 65535, a pixel past the colour table, a
// transparent colour that does not fit in a full table) must be refused with
// a PictaronError, and nothing else may be.
#include "components/errors.h"
#include "components/qtbridge.h"
#include "formats/gifresult.h"
#include "fuzz/fuzzinput.h"
#include "gifchecker.h"

#include <fuzzer/FuzzedDataProvider.h>

#include "effects/bitmap.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

using namespace pictaron;

namespace {

constexpr int kMaxSide = 65535;
// Enough pixels for the code table to fill and start over several times,
// few enough for hundreds of runs a second.
constexpr qint64 kMaxArea = 1 << 16;

struct Picture {
    Bitmap indexed;
    std::vector<gifcheck::Colour> palette;
    std::vector<std::uint8_t> pixels;
    std::optional<TColor> transparent;
};

Picture MakePicture(FuzzedDataProvider& input)
{
    Picture picture;
    int width = input.ConsumeIntegralInRange<int>(1, kMaxSide + 1);
    int height = input.ConsumeIntegralInRange<int>(1, kMaxSide + 1);
    if (static_cast<qint64>(width) * height > kMaxArea)
        height = static_cast<int>(std::max<qint64>(1, kMaxArea / width));
    const int colours = input.ConsumeIntegralInRange<int>(1, 256);
    for (int i = 0; i < colours; ++i) {
        const int red = input.ConsumeIntegral<std::uint8_t>();
        const int green = input.ConsumeIntegral<std::uint8_t>();
        const int blue = input.ConsumeIntegral<std::uint8_t>();
        picture.palette.push_back(gifcheck::Colour{red, green, blue});
    }
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 1: {  // a colour of the palette
        const gifcheck::Colour& colour = picture.palette[input.ConsumeIntegralInRange<std::size_t>(0, colours - 1)];
        picture.transparent = TColor(colour.red) | TColor(colour.green) << 8 | TColor(colour.blue) << 16;
        break;
    }
    case 2:  // any colour
        picture.transparent = input.ConsumeIntegral<TColor>() & 0xFFFFFFu;
        break;
    default:
        break;
    }
    // Mostly indices of the palette; sometimes the bytes as they come, which
    // may point past it.
    const bool anyIndex = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    const std::vector<std::uint8_t> bytes = input.ConsumeRemainingBytes<std::uint8_t>();

    picture.indexed = Bitmap(width, height, Bitmap::Format_Indexed8);
    if (picture.indexed.isNull())
        fuzz::Fail("cannot make the picture");
    std::vector<Argb> table;
    for (int i = 0; i < colours; ++i) {
        const gifcheck::Colour& c = picture.palette[static_cast<std::size_t>(i)];
        table.push_back(PackRgb(c.red, c.green, c.blue));
    }
    picture.indexed.setColorTable(table);
    picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const std::uint8_t byte = bytes.empty() ? 0 : bytes[i % bytes.size()];
        picture.pixels[i] = anyIndex ? byte : static_cast<std::uint8_t>(byte % colours);
    }
    for (int y = 0; y < height; ++y)
        std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width, width, picture.indexed.scanLine(y));
    return picture;
}

void Check(bool good, const char* what, const QString& detail = QString())
{
    if (!good)
        fuzz::Fail(what, detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const Picture picture = MakePicture(input);
    const int width = picture.indexed.width();
    const int height = picture.indexed.height();

    // What the file must hold: the palette, the transparent colour's highest
    // index there or else the colour appended, a table of 2^bits entries.
    std::vector<gifcheck::Colour> table = picture.palette;
    int transparentIndex = -1;
    if (picture.transparent) {
        const TColor colour = *picture.transparent;
        const gifcheck::Colour wanted{int(colour & 0xFF), int(colour >> 8 & 0xFF), int(colour >> 16 & 0xFF)};
        for (int i = static_cast<int>(table.size()) - 1; i >= 0 && transparentIndex < 0; --i)
            if (table[static_cast<std::size_t>(i)] == wanted)
                transparentIndex = i;
        if (transparentIndex < 0) {
            transparentIndex = static_cast<int>(table.size());
            table.push_back(wanted);
        }
    }
    int bits = 1;
    while ((1 << bits) < static_cast<int>(table.size()))
        ++bits;
    const bool fits = width <= kMaxSide && height <= kMaxSide && table.size() <= 256
                      && std::all_of(picture.pixels.begin(), picture.pixels.end(),
                                     [bits](std::uint8_t pixel) { return pixel < (1 << bits); });

    QByteArray gif;
    try {
        gif = ToQByteArray(EncodeGif(picture.indexed, picture.transparent));
    } catch (const PictaronError& error) {
        Check(!fits, "a picture the writer should take was refused", ToQString(error.message()));
        return 0;
    }
    Check(fits, "a picture the writer should refuse was written");

    const gifcheck::StrictGif read = gifcheck::ReadStrictGif(gif);
    Check(read.problem.isEmpty(), "the strict reader refuses the file", read.problem);
    Check(read.version == (picture.transparent ? "89a" : "87a"), "wrong version", QString::fromLatin1(read.version));
    Check(read.width == width && read.height == height, "wrong size",
          QStringLiteral("%1 by %2, not %3 by %4").arg(read.width).arg(read.height).arg(width).arg(height));
    Check(read.table.size() == std::size_t{1} << bits, "wrong table size", QString::number(read.table.size()));
    for (std::size_t i = 0; i < read.table.size(); ++i) {
        const gifcheck::Colour expected = i < table.size() ? table[i] : gifcheck::Colour{0, 0, 0};
        Check(read.table[i] == expected, "wrong colour in the table", QString::number(i));
    }
    Check(read.transparentIndex == transparentIndex, "wrong transparent index",
          QStringLiteral("%1, not %2").arg(read.transparentIndex).arg(transparentIndex));
    Check(read.minimumCodeSize == std::max(2, bits), "wrong minimum code size");
    Check(read.indices.size() == picture.pixels.size(), "wrong pixel count");
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        if (read.indices[i] != picture.pixels[i])
            fuzz::Fail("a pixel differs", QStringLiteral("pixel %1: %2, not %3").arg(i).arg(read.indices[i]).arg(picture.pixels[i]));
    return 0;
}
