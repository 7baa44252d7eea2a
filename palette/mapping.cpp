#include "palette/mapping.h"

#include "effects/pixels.h"
#include "effects/workerthreads.h"
#include "palette/clustermemo.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace pictaron {

namespace {

// A pixel's error is a whole number of levels times 2^10, so its 7, 3, 5 and 1
// sixteenths are exact and every carried error is a multiple of 2^6. Counting
// errors in sixteenths of a level therefore gives the same sums and the same
// truncated whole steps without dividing each share.
constexpr int kSixteenths = 16;

// Flat mapping hands out strips of rows, a few per thread at a time.
constexpr int kStripRows = 16;
constexpr int kStripsPerThread = 8;

// Progress goes out every fifth row.
void ReportRow(RunProgress& progress, int y)
{
    if (y % 5 == 0)
        progress.ReportProgress({}, y, -1);
}

// One channel's error rows: the current row and the next, each with a slot on
// either side for the error that leaves the picture.
class ErrorRows {
public:
    explicit ErrorRows(int width) : current_(static_cast<std::size_t>(width) + 2), next_(current_.size()) {}
    const int* Current() const { return current_.data(); }
    int* Next() { return next_.data(); }
    void Advance() { current_.swap(next_); }

private:
    std::vector<int> current_;
    std::vector<int> next_;
};

// One channel's shares in flight along a row. Kept in registers instead of
// being added into the rows in place, they give the same sums while each
// pixel no longer waits for the store of the one before; every slot of the
// next row is written once, when its last share is in.
struct Shares {
    int ahead = 0;   // 7/16 for the pixel ahead
    int behind = 0;  // the slot below the pixel before, short of this pixel's 3/16
    int below = 0;   // the slot below this pixel, short of its 5/16 and the next pixel's 3/16

    // Spreads the error (whole levels) of the pixel at slot; step is +1 on
    // left-to-right rows and -1 on right-to-left rows, which mirrors the kernel.
    void Spread(int* next, int slot, int step, int error)
    {
        ahead = 7 * error;
        next[slot - step] = behind + 3 * error;
        behind = below + 5 * error;
        below = error;
    }
    // Writes the two slots still open after the row's last pixel.
    void Finish(int* next, int lastSlot, int step) const
    {
        next[lastSlot] = behind;
        next[lastSlot + step] = below;
    }
};

// The source channel plus the carried error (sixteenths), whole steps only,
// clamped.
inline int Corrected(int channel, int error)
{
    return std::clamp(channel + error / kSixteenths, 0, 255);
}

} // namespace

void MapToPalette(const Bitmap& source, const Palette& palette, Bitmap& target, RunProgress& progress,
                  const CancelFlag& cancel)
{
    MapToPalette(source, palette, target, progress, cancel, WorkerThreadCount());
}

void MapToPalette(const Bitmap& source, const Palette& palette, Bitmap& target, RunProgress& progress,
                  const CancelFlag& cancel, int threads)
{
    // A pixel's index depends on its colour alone, so strips of rows map on
    // any thread to the same bytes. Each thread remembers answers in a memo of
    // its own over the one cluster.
    const std::shared_ptr<const TPaletteCluster> cluster = BuildCluster(palette);
    threads = std::max(1, threads);
    std::vector<ClusterMemo> memos;
    memos.reserve(static_cast<std::size_t>(threads));
    for (int i = 0; i < threads; ++i)
        memos.emplace_back(cluster);
    const int width = source.width();
    const int height = source.height();
    target = NewIndexedPicture(width, height, palette);
    std::uint8_t* const bits = target.bits();  // before the threads: scanLine would detach
    const std::ptrdiff_t stride = target.bytesPerLine();

    // Batches of strips; after each, from this thread only, the cancel test
    // and the progress of its rows in order, as if row by row.
    const int batchRows = threads * kStripsPerThread * kStripRows;
    progress.ReportProgress({}, 0, height - 1);
    for (int y0 = 0; y0 < height; y0 += batchRows) {
        const int y1 = std::min(height, y0 + batchRows);
        cancel.ThrowIfCancelled();
        ForEachPart((y1 - y0 + kStripRows - 1) / kStripRows, threads, [&](int part, int worker) {
            ClusterMemo& memo = memos[static_cast<std::size_t>(worker)];
            const int first = y0 + part * kStripRows;
            for (int y = first; y < std::min(y1, first + kStripRows); ++y) {
                const RGBTriple* in = RowPixels(source, y);
                std::uint8_t* out = bits + y * stride;
                for (int x = width - 1; x >= 0; --x)
                    out[x] = static_cast<std::uint8_t>(memo.Lookup(in[x].red, in[x].green, in[x].blue));
            }
        });
        for (int y = y0; y < y1; ++y) {
            cancel.ThrowIfCancelled();
            ReportRow(progress, y);
        }
    }
}

void DitherToPalette(const Bitmap& source, const Palette& palette, Bitmap& target, RunProgress& progress,
                     const CancelFlag& cancel)
{
    ClusterMemo cluster(palette);
    const int width = source.width();
    const int height = source.height();
    target = NewIndexedPicture(width, height, palette);
    ErrorRows red(width), green(width), blue(width);

    int step = 1;
    progress.ReportProgress({}, 0, height);
    for (int y = 0; y < height; ++y) {
        cancel.ThrowIfCancelled();
        ReportRow(progress, y);
        const int* const redNow = red.Current();
        const int* const greenNow = green.Current();
        const int* const blueNow = blue.Current();
        int* const redNext = red.Next();
        int* const greenNext = green.Next();
        int* const blueNext = blue.Next();
        const RGBTriple* in = RowPixels(source, y);
        std::uint8_t* out = target.scanLine(y);

        Shares redShares, greenShares, blueShares;
        const int first = step > 0 ? 0 : width - 1;
        for (int i = 0, x = first; i < width; ++i, x += step) {
            const int r = Corrected(in[x].red, redNow[x + 1] + redShares.ahead);
            const int g = Corrected(in[x].green, greenNow[x + 1] + greenShares.ahead);
            const int b = Corrected(in[x].blue, blueNow[x + 1] + blueShares.ahead);
            const int k = cluster.Lookup(r, g, b);
            out[x] = static_cast<std::uint8_t>(k);
            const PaletteEntry& chosen = palette[static_cast<std::size_t>(k)];
            redShares.Spread(redNext, x + 1, step, r - chosen.red);
            greenShares.Spread(greenNext, x + 1, step, g - chosen.green);
            blueShares.Spread(blueNext, x + 1, step, b - chosen.blue);
        }
        const int lastSlot = first + (width - 1) * step + 1;
        redShares.Finish(redNext, lastSlot, step);
        greenShares.Finish(greenNext, lastSlot, step);
        blueShares.Finish(blueNext, lastSlot, step);
        red.Advance();
        green.Advance();
        blue.Advance();
        step = -step;
    }
}

Bitmap ExpandIndexedPicture(const Bitmap& indexed)
{
    // Indices beyond the table give black.
    RGBTriple colours[256] = {};
    const std::vector<Argb> table = indexed.colorTable();
    for (int i = 0; i < std::min<int>(256, static_cast<int>(table.size())); ++i)
        colours[i] = RGBTriple{std::uint8_t(BlueOf(table[i])), std::uint8_t(GreenOf(table[i])), std::uint8_t(RedOf(table[i]))};
    Bitmap bitmap = NewWorkingBitmap(indexed.width(), indexed.height());
    for (int y = 0; y < indexed.height(); ++y) {
        const std::uint8_t* in = indexed.constScanLine(y);
        RGBTriple* out = RowPixels(bitmap, y);
        for (int x = 0; x < indexed.width(); ++x)
            out[x] = colours[in[x]];
    }
    return bitmap;
}

} // namespace pictaron
