#include "palette/mapping.h"

#include "effects/pixels.h"
#include "palette/clustermemo.h"

#include <algorithm>
#include <vector>

namespace pictaron {

namespace {

constexpr int kFractionBits = 10;
constexpr int kOne = 1 << kFractionBits;

// Progress goes out every fifth row.
void ReportRow(RunProgress& progress, int y)
{
    if (y % 5 == 0)
        progress.ReportProgress(QString(), y, -1);
}

// One channel's error rows: the current row and the next, each with a slot on
// either side for the error that leaves the picture.
class ErrorRows {
public:
    explicit ErrorRows(int width) : current_(static_cast<std::size_t>(width) + 2), next_(current_.size()) {}
    int* Current() { return current_.data(); }
    int* Next() { return next_.data(); }
    void ClearNext() { std::fill(next_.begin(), next_.end(), 0); }
    void Advance() { current_.swap(next_); }

private:
    std::vector<int> current_;
    std::vector<int> next_;
};

// Spreads one channel's error e (fixed point) from slot x + 1; step is +1 on
// left-to-right rows and -1 on right-to-left rows, which mirrors the kernel.
inline void Spread(int* current, int* next, int x, int step, int error)
{
    current[x + 1 + step] += 7 * error / 16;
    next[x + 1 - step] += 3 * error / 16;
    next[x + 1] += 5 * error / 16;
    next[x + 1 + step] += error / 16;
}

// The source channel plus the carried error, whole steps only, clamped.
inline int Corrected(int channel, int error)
{
    return std::clamp(channel + error / kOne, 0, 255);
}

} // namespace

void MapToPalette(const QImage& source, const Palette& palette, QImage& target, RunProgress& progress,
                  const CancelFlag& cancel)
{
    ClusterMemo cluster(palette);
    const int width = source.width();
    const int height = source.height();
    target = NewIndexedPicture(width, height, palette);

    progress.ReportProgress(QString(), 0, height - 1);
    for (int y = 0; y < height; ++y) {
        cancel.ThrowIfCancelled();
        ReportRow(progress, y);
        const RGBTriple* in = RowPixels(source, y);
        uchar* out = target.scanLine(y);
        for (int x = width - 1; x >= 0; --x)
            out[x] = static_cast<uchar>(cluster.Lookup(in[x].red, in[x].green, in[x].blue));
    }
}

void DitherToPalette(const QImage& source, const Palette& palette, QImage& target, RunProgress& progress,
                     const CancelFlag& cancel)
{
    ClusterMemo cluster(palette);
    const int width = source.width();
    const int height = source.height();
    target = NewIndexedPicture(width, height, palette);
    ErrorRows red(width), green(width), blue(width);

    int step = 1;
    progress.ReportProgress(QString(), 0, height);
    for (int y = 0; y < height; ++y) {
        cancel.ThrowIfCancelled();
        ReportRow(progress, y);
        red.ClearNext();
        green.ClearNext();
        blue.ClearNext();
        int* const redNow = red.Current();
        int* const greenNow = green.Current();
        int* const blueNow = blue.Current();
        int* const redNext = red.Next();
        int* const greenNext = green.Next();
        int* const blueNext = blue.Next();
        const RGBTriple* in = RowPixels(source, y);
        uchar* out = target.scanLine(y);

        const int first = step > 0 ? 0 : width - 1;
        for (int i = 0, x = first; i < width; ++i, x += step) {
            const int r = Corrected(in[x].red, redNow[x + 1]);
            const int g = Corrected(in[x].green, greenNow[x + 1]);
            const int b = Corrected(in[x].blue, blueNow[x + 1]);
            const int k = cluster.Lookup(r, g, b);
            out[x] = static_cast<uchar>(k);
            const PaletteEntry& chosen = palette[static_cast<std::size_t>(k)];
            Spread(redNow, redNext, x, step, (r - chosen.red) * kOne);
            Spread(greenNow, greenNext, x, step, (g - chosen.green) * kOne);
            Spread(blueNow, blueNext, x, step, (b - chosen.blue) * kOne);
        }
        red.Advance();
        green.Advance();
        blue.Advance();
        step = -step;
    }
}

QImage ExpandIndexedPicture(const QImage& indexed)
{
    // Indices beyond the table give black.
    RGBTriple colours[256] = {};
    const QList<QRgb> table = indexed.colorTable();
    for (int i = 0; i < std::min<int>(256, static_cast<int>(table.size())); ++i)
        colours[i] = RGBTriple{std::uint8_t(qBlue(table[i])), std::uint8_t(qGreen(table[i])), std::uint8_t(qRed(table[i]))};
    QImage bitmap = NewWorkingBitmap(indexed.width(), indexed.height());
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar* in = indexed.constScanLine(y);
        RGBTriple* out = RowPixels(bitmap, y);
        for (int x = 0; x < indexed.width(); ++x)
            out[x] = colours[in[x]];
    }
    return bitmap;
}

} // namespace pictaron
