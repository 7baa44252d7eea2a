#include "colour/pickerpalette.h"

#include "components/errors.h"
#include "components/qtbridge.h"
#include "components/regularfile.h"
#include "palette/palettefile.h"

#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <utility>

namespace pictaron {

namespace {

// The picker insists on a global colour table, where the palette reader
// quietly gives black for a GIF without one.
void CheckGifHasGlobalPalette(const QString& path)
{
    const QByteArray head = ToQByteArray(ReadFileStart(ToUtf8(path), 13));
    if (!head.startsWith("GIF") || head.size() < 13 || (static_cast<std::uint8_t>(head[10]) & 0x80) == 0)
        throw PictaronError(QStringLiteral("An error occurred while reading this file.  It is either not a "
                                           "valid GIF file or it has no Global Palette.").toStdString());
}

void QuickSort(PickerPalette& palette, std::array<std::uint8_t, kPickerCells>& keys, int low, int high)
{
    int i = low;
    int j = high;
    const std::uint8_t pivot = keys[static_cast<std::size_t>((low + high) / 2)];
    do {
        while (keys[static_cast<std::size_t>(i)] < pivot)
            ++i;
        while (keys[static_cast<std::size_t>(j)] > pivot)
            --j;
        if (i <= j) {
            std::swap(keys[static_cast<std::size_t>(i)], keys[static_cast<std::size_t>(j)]);
            std::swap(palette.entries[static_cast<std::size_t>(i)], palette.entries[static_cast<std::size_t>(j)]);
            ++i;
            --j;
        }
    } while (i <= j);
    if (low < j)
        QuickSort(palette, keys, low, j);
    if (i < high)
        QuickSort(palette, keys, i, high);
}

} // namespace

TColor PickerPalette::ColourAt(int index) const
{
    const PaletteEntry& e = entries[static_cast<std::size_t>(index)];
    return static_cast<TColor>(e.red) | static_cast<TColor>(e.green) << 8 | static_cast<TColor>(e.blue) << 16;
}

PickerPalette LoadPickerPalette(const QString& path)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("gif"), Qt::CaseInsensitive) == 0)
        CheckGifHasGlobalPalette(path);
    const Palette read = LoadPaletteFile(ToUtf8(path));
    PickerPalette palette;
    palette.count = std::min(static_cast<int>(read.size()), kPickerCells);
    for (int i = 0; i < palette.count; ++i) {
        palette.entries[static_cast<std::size_t>(i)] = read[static_cast<std::size_t>(i)];
        palette.entries[static_cast<std::size_t>(i)].flags = 0;
    }
    return palette;
}

std::uint8_t LuminanceKey(const PaletteEntry& entry)
{
    const int high = std::max({entry.red, entry.green, entry.blue});
    const int low = std::min({entry.red, entry.green, entry.blue});
    return static_cast<std::uint8_t>(Round((high + low) * 0.5));
}

void SortByLuminance(PickerPalette& palette)
{
    if (palette.count < 2)
        return;
    std::array<std::uint8_t, kPickerCells> keys{};
    for (int i = 0; i < palette.count; ++i)
        keys[static_cast<std::size_t>(i)] = LuminanceKey(palette.entries[static_cast<std::size_t>(i)]);
    QuickSort(palette, keys, 0, palette.count - 1);
}

int PickerColourDistance(TColor current, TColor candidate, int best)
{
    const RGBTriple c = ColorToTriple(current);
    const RGBTriple p = ColorToTriple(candidate);
    const int dg = c.green - p.green;
    const int g = 10 * dg * dg;
    if (g >= best)
        return INT_MAX;
    const int dr = c.red - p.red;
    const int db = c.blue - p.blue;
    return g + 3 * dr * dr + db * db;
}

QPoint FindNearestColour(const PickerPalette& palette, TColor colour)
{
    QPoint nearest(0, 0);
    int best = INT_MAX;
    for (int column = 0; column < kPickerColumns; ++column) {
        for (int row = 0; row < kPickerColumns; ++row) {
            const int distance = PickerColourDistance(colour, palette.ColourAt(column + kPickerColumns * row), best);
            if (distance < best) {
                best = distance;
                nearest = QPoint(column, row);
            }
        }
    }
    return nearest;
}

} // namespace pictaron
