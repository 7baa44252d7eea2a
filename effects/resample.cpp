#include "effects/resample.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "effects/workerthreads.h"
#include "formats/pictureloader.h"
#include "effects/vectorclones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

namespace pictaron {

namespace {

// sin(πx) / (πx), with πx rounded to float first.
float NormalisedSinc(float x)
{
    if (x == 0)
        return 1;
    const float px = static_cast<float>(std::numbers::pi_v<long double> * x);
    return static_cast<float>(std::sin(static_cast<long double>(px)) / px);
}

// The contributions of one pass, all destination pixels in one block:
// destination pixel i owns the entries first[i] .. first[i + 1] - 1.
struct Contributions {
    std::vector<int> first;
    std::vector<int> index;
    std::vector<double> weight;  // floats, widened once for the sums
};

// Source indices left of 0 mirror without repeating the edge (-1 → 1), those
// past the end with it (N → N - 1). A filter wider than a tiny source still
// lands outside after mirroring; those are clamped.
int MirrorIndex(int j, int size)
{
    if (j < 0)
        j = -j;
    else if (j >= size)
        j = 2 * size - j - 1;
    return std::clamp(j, 0, size - 1);
}

Contributions BuildContributions(int destinationSize, int sourceSize, float scale, FilterFunction filter,
                                 float support)
{
    const bool subSampling = scale < 1;
    // Shrinking widens the filter by 1/scale, and lowers it by as much.
    const float width = subSampling ? static_cast<float>(static_cast<long double>(support) / scale) : support;
    const float filterScale = subSampling ? static_cast<float>(1.0L / scale) : 1.0f;

    Contributions lists;
    lists.first.reserve(static_cast<std::size_t>(destinationSize) + 1);
    const std::size_t room = static_cast<std::size_t>(Trunc(2.0L * width + 1));
    lists.index.reserve(room * destinationSize);
    lists.weight.reserve(room * destinationSize);
    for (int i = 0; i < destinationSize; ++i) {
        lists.first.push_back(static_cast<int>(lists.index.size()));
        const float center = static_cast<float>(static_cast<long double>(i) / scale);
        const int left = static_cast<int>(std::floor(static_cast<long double>(center) - width));
        const int right = static_cast<int>(std::ceil(static_cast<long double>(center) + width));
        for (int j = left; j <= right; ++j) {
            float weight;
            if (subSampling) {
                const float x = static_cast<float>((static_cast<long double>(center) - j) / filterScale);
                weight = static_cast<float>(static_cast<long double>(filter(x)) / filterScale);
            } else {
                weight = filter(static_cast<float>(static_cast<long double>(center) - j));
            }
            if (weight == 0)
                continue;
            lists.index.push_back(MirrorIndex(j, sourceSize));
            lists.weight.push_back(weight);
        }
    }
    lists.first.push_back(static_cast<int>(lists.index.size()));
    return lists;
}

// Sums above 255 give 255, below 0 give 0, the rest round half to even.
// Branch-free, so that a row of them runs as vector code: adding 2^23 leaves a
// float no bits for fractions, so the addition itself rounds, to even on ties.
inline uchar ToByte(float sum)
{
    const float clamped = std::min(std::max(sum, 0.0f), 255.0f);
    return static_cast<uchar>(static_cast<int>((clamped + 0x1p23f) - 0x1p23f));
}

// Destination pixels of the pass across whose sums are turned back together.
constexpr int kAcrossBlock = 128;

float Scale(int destinationSize, int sourceSize)
{
    if (sourceSize != 1 && destinationSize != 1)
        return static_cast<float>(static_cast<long double>(destinationSize - 1) / (sourceSize - 1));
    return static_cast<float>(static_cast<long double>(destinationSize) / sourceSize);
}

QImage NewBitmapWithin(int width, int height)
{
    if (static_cast<qint64>(width) * height > PictureLoader::kMaxPixels)
        throw PictaronError(QStringLiteral("A picture of %1 by %2 pixels is too large.").arg(width).arg(height));
    return NewWorkingBitmap(width, height);
}

// The bytes of count sums: sum b adds in[index[t] · step + b] · weight[t] over
// the taps t in order, each addition formed in double and stored back as
// float. The loop over b is the same for every byte, so the compiler turns it
// into vector code (AVX-512 or AVX2 where the processor has it; never with
// FMA, so every build rounds alike). sums holds room for count floats.
PICTARON_VECTOR_CLONES("arch=x86-64-v4", "avx2", "default")
void SumTaps(uchar* __restrict out, const uchar* __restrict in, qsizetype step, const int* index,
             const double* weight, int taps, int count, float* __restrict sums)
{
    std::fill_n(sums, count, 0.0f);
    for (int t = 0; t < taps; ++t) {
        const uchar* source = in + index[t] * step;
        const double w = weight[t];
        for (int b = 0; b < count; ++b)
            sums[b] = static_cast<float>(static_cast<double>(sums[b]) + source[b] * w);
    }
    for (int b = 0; b < count; ++b)
        out[b] = ToByte(sums[b]);
}

// Pixel x of each of the rows r < rows (row r at in + r · inStride) copied to
// out + x · outStep + 3 · r, for every x < width: a strip of rows turned into
// one of columns. Byte blue of a pixel goes first and byte 2 - blue last, so
// blue = 2 turns RGB into BGR on the way. Blocks of a few columns keep the
// lines written in cache.
void TurnPixels(const uchar* in, qsizetype inStride, int rows, int width, uchar* out, qsizetype outStep, int blue)
{
    constexpr int kBlock = 16;
    for (int x0 = 0; x0 < width; x0 += kBlock) {
        const int x1 = std::min(width, x0 + kBlock);
        for (int r = 0; r < rows; ++r) {
            const uchar* pixel = in + r * inStride + 3 * x0;
            uchar* target = out + x0 * outStep + 3 * r;
            for (int x = x0; x < x1; ++x, pixel += 3, target += outStep) {
                target[0] = pixel[blue];
                target[1] = pixel[1];
                target[2] = pixel[2 - blue];
            }
        }
    }
}

// A strip of rows resampled across: rows rows of inWidth pixels from in (BGR,
// or RGB with blue = 2) into as many of outWidth BGR pixels at out. The strip is first turned so that pixel x
// of all its rows lies together, which lets a destination pixel add whole
// turned columns as vector code, as the pass down does with rows; the turned
// strip stays in cache, and so do the turned results of a block of
// destination pixels before they are turned back. turned holds 3 · rows bytes
// per source pixel, bytes as many per destination pixel of a block, sums
// 3 · rows floats.
void ResampleStripAcross(const uchar* in, qsizetype inStride, int inWidth, int blue, uchar* out,
                         qsizetype outStride, int outWidth, int rows, const Contributions& lists, uchar* turned,
                         uchar* bytes, float* sums)
{
    const int lanes = 3 * rows;
    TurnPixels(in, inStride, rows, inWidth, turned, lanes, blue);
    const int* first = lists.first.data();
    for (int i0 = 0; i0 < outWidth; i0 += kAcrossBlock) {
        const int i1 = std::min(outWidth, i0 + kAcrossBlock);
        for (int i = i0; i < i1; ++i)
            SumTaps(bytes + (i - i0) * lanes, turned, lanes, lists.index.data() + first[i],
                    lists.weight.data() + first[i], first[i + 1] - first[i], lanes, sums);
        TurnPixels(bytes, lanes, i1 - i0, rows, out + 3 * i0, outStride, 0);
    }
}

// The lowest and one past the highest source index of each destination
// pixel's list; a pixel without contributions needs nothing.
struct Reach {
    std::vector<int> low;
    std::vector<int> end;
};

Reach ReachOf(const Contributions& lists)
{
    const int count = static_cast<int>(lists.first.size()) - 1;
    Reach reach{std::vector<int>(count), std::vector<int>(count)};
    for (int i = 0; i < count; ++i) {
        const auto begin = lists.index.begin() + lists.first[i];
        const auto stop = lists.index.begin() + lists.first[i + 1];
        reach.low[i] = begin == stop ? std::numeric_limits<int>::max() : *std::min_element(begin, stop);
        reach.end[i] = begin == stop ? 0 : *std::max_element(begin, stop) + 1;
    }
    return reach;
}

// Both passes at once: the rows across are resampled a band at a time into a
// ring of rows, just ahead of the rows down that add them, so that no
// intermediate bitmap of the whole height is ever written, faulted in or read
// back from memory. Each value is summed exactly as by two whole passes.
class FusedPasses {
public:
    FusedPasses(const QImage& in, QImage& out, const Contributions& across, const Contributions& down)
        : in_(in), out_(out), across_(across), down_(down), threads_(WorkerThreadCount())
    {
        PlanBands();
        // Row r of the intermediate lives in ring row r % ringRows_; the lists
        // down name ring rows instead.
        ringStride_ = out.bytesPerLine();
        ring_.resize(static_cast<std::size_t>(ringStride_) * ringRows_);
        ringIndex_.resize(down.index.size());
        std::transform(down.index.begin(), down.index.end(), ringIndex_.begin(),
                       [this](int row) { return row % ringRows_; });
        scratch_.resize(threads_);
        for (Scratch& own : scratch_) {
            own.turned.resize(static_cast<std::size_t>(in.width()) * 3 * kStripRows);
            own.bytes.resize(3 * kStripRows * kAcrossBlock);
            own.sums.resize(3 * std::max(kStripRows, kStripColumns));
        }
    }

    // Progress counts the rows across, which lead; cancelling stops between bands.
    void Run(const ResampleProgress& progress)
    {
        int done = 0;
        int reported = 0;
        const auto reportUpTo = [&](int rows) {
            for (; reported < rows; reported += 10)
                progress(QString(), reported, -1);
        };
        for (const Band& band : bands_) {
            reportUpTo(band.rowsEnd);
            Across(done, band.rowsEnd);
            done = band.rowsEnd;
            Down(band.first, band.last);
        }
        // Rows that no destination row reads are skipped, not left unreported.
        reportUpTo(in_.height());
    }

private:
    // Rows across go in strips of this many, each one thread's at a time; the
    // ring holds a multiple of it, so that a strip never wraps.
    static constexpr int kStripRows = 32;
    static constexpr int kStripColumns = 512;

    // Destination rows first .. last - 1 are summed once intermediate rows
    // up to rowsEnd are done.
    struct Band {
        int first;
        int last;
        int rowsEnd;
    };

    struct Scratch {
        std::vector<uchar> turned;
        std::vector<uchar> bytes;
        std::vector<float> sums;
    };

    static int RoundUp(int rows) { return (rows + kStripRows - 1) / kStripRows * kStripRows; }

    // Each band adds a strip of rows across per thread, or as many as its
    // first destination row needs, and takes every destination row that
    // these rows complete. The ring keeps every row from the lowest that this
    // or a later band reads up to the last done.
    void PlanBands()
    {
        const Reach reach = ReachOf(down_);
        const int height = out_.height();
        const int sourceHeight = in_.height();
        std::vector<int> lowFromHere(height + 1, std::numeric_limits<int>::max());
        for (int i = height - 1; i >= 0; --i)
            lowFromHere[i] = std::min(lowFromHere[i + 1], reach.low[i]);
        int done = 0;
        int ringRows = kStripRows;
        for (int i = 0; i < height;) {
            const int rowsEnd = std::min(sourceHeight, RoundUp(std::max(reach.end[i], done + threads_ * kStripRows)));
            const int first = i;
            while (i < height && reach.end[i] <= rowsEnd)
                ++i;
            bands_.push_back({first, i, rowsEnd});
            // Strips of one band must not share ring rows either.
            ringRows = std::max(ringRows, rowsEnd - std::min(lowFromHere[first], done));
            done = rowsEnd;
        }
        ringRows_ = std::min(RoundUp(ringRows), RoundUp(sourceHeight));
    }

    // Intermediate rows r0 .. r1 - 1 into the ring, a strip per part.
    void Across(int r0, int r1)
    {
        const int blue = in_.format() == QImage::Format_RGB888 ? 2 : 0;
        const qsizetype inStride = in_.bytesPerLine();
        ForEachPart((r1 - r0 + kStripRows - 1) / kStripRows, threads_, [&](int part, int worker) {
            const int y0 = r0 + part * kStripRows;
            Scratch& own = scratch_[worker];
            ResampleStripAcross(in_.constBits() + y0 * inStride, inStride, in_.width(), blue,
                                ring_.data() + (y0 % ringRows_) * ringStride_, ringStride_, out_.width(),
                                std::min(r1, y0 + kStripRows) - y0, across_, own.turned.data(), own.bytes.data(),
                                own.sums.data());
        });
    }

    // Destination rows i0 .. i1 - 1 from the ring, a strip of columns per
    // part so that the sums stay in cache.
    void Down(int i0, int i1)
    {
        const int width = out_.width();
        uchar* outBits = out_.bits();
        const qsizetype outStride = out_.bytesPerLine();
        ForEachPart((width + kStripColumns - 1) / kStripColumns, threads_, [&](int part, int worker) {
            const int k0 = part * kStripColumns;
            const int k1 = std::min(width, k0 + kStripColumns);
            for (int i = i0; i < i1; ++i) {
                const int first = down_.first[i];
                SumTaps(outBits + i * outStride + 3 * k0, ring_.data() + 3 * k0, ringStride_,
                        ringIndex_.data() + first, down_.weight.data() + first, down_.first[i + 1] - first,
                        3 * (k1 - k0), scratch_[worker].sums.data());
            }
        });
    }

    const QImage& in_;
    QImage& out_;
    const Contributions& across_;
    const Contributions& down_;
    const int threads_;
    std::vector<Band> bands_;
    int ringRows_ = 0;
    qsizetype ringStride_ = 0;
    std::vector<uchar> ring_;
    std::vector<int> ringIndex_;
    std::vector<Scratch> scratch_;
};

} // namespace

float FilterBox(float x)
{
    return x > -0.5f && x <= 0.5f ? 1.0f : 0.0f;
}

float FilterTriangle(float x)
{
    const long double t = std::fabs(static_cast<long double>(x));
    return t < 1 ? static_cast<float>(1 - t) : 0.0f;
}

float FilterHermite(float x)
{
    const long double t = std::fabs(static_cast<long double>(x));
    return t < 1 ? static_cast<float>((2 * t - 3) * t * t + 1) : 0.0f;
}

float FilterBell(float x)
{
    const long double t = std::fabs(static_cast<long double>(x));
    if (t < 0.5L)
        return static_cast<float>(0.75L - t * t);
    if (t < 1.5L)
        return static_cast<float>(0.5L * (t - 1.5L) * (t - 1.5L));
    return 0.0f;
}

float FilterBSpline(float x)
{
    const long double t = std::fabs(static_cast<long double>(x));
    if (t < 1)
        return static_cast<float>(0.5L * t * t * t - t * t + 2.0L / 3);
    if (t < 2) {
        const long double u = 2 - t;
        return static_cast<float>(u * u * u * (1.0L / 6));
    }
    return 0.0f;
}

float FilterLanczos3(float x)
{
    const float t = std::fabs(x);
    if (t >= 3)
        return 0.0f;
    const float third = static_cast<float>(t * (1.0L / 3));
    return static_cast<float>(static_cast<long double>(NormalisedSinc(t)) * NormalisedSinc(third));
}

float FilterMitchell(float x)
{
    // The Mitchell-Netravali cubic with B = C = 1/3.
    const long double t = std::fabs(static_cast<long double>(x));
    if (t < 1)
        return static_cast<float>((7 * t * t * t - 12 * t * t + 16.0L / 3) * (1.0L / 6));
    if (t < 2)
        return static_cast<float>((-(7.0L / 3) * t * t * t + 12 * t * t - 20 * t + 32.0L / 3) * (1.0L / 6));
    return 0.0f;
}

const std::array<ResampleFilter, 7>& ResampleFilterTable()
{
    static const std::array<ResampleFilter, 7> table{{
        {"Box", FilterBox, 0.5f},
        {"Triangle", FilterTriangle, 1.0f},
        {"Hermite", FilterHermite, 1.0f},
        {"Bell", FilterBell, 1.5f},
        {"B-Spline", FilterBSpline, 2.0f},
        {"Lanczos3", FilterLanczos3, 3.0f},
        {"Mitchell", FilterMitchell, 2.0f},
    }};
    return table;
}

QImage ResampleBitmap(const QImage& picture, QSize target, FilterFunction filter, float support,
                      const ResampleProgress& progress)
{
    // RGB rows are put in order as their strips are turned.
    const QImage source = picture.format() == QImage::Format_RGB888 ? picture : ToWorkingBitmap(picture);
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    if (sourceWidth < 1 || sourceHeight < 1)
        throw PictaronError(QStringLiteral("Source bitmap too small"));
    const int width = target.width();
    const int height = target.height();
    if (width < 1 || height < 1)
        throw PictaronError(QStringLiteral("Target bitmap too small"));
    const ResampleProgress report = progress ? progress : [](const QString&, int, int) {};

    QImage destination = NewBitmapWithin(width, height);
    const float xscale = Scale(width, sourceWidth);
    const float yscale = Scale(height, sourceHeight);

    // The passes run together, so both lists are needed first; the texts
    // still come in pass order.
    report(xscale < 1 ? QStringLiteral("Horizontal sub-sampling") : QStringLiteral("Horizontal super-sampling"), 0,
           width - 1);
    const Contributions across = BuildContributions(width, sourceWidth, xscale, filter, support);
    const Contributions down = BuildContributions(height, sourceHeight, yscale, filter, support);
    FusedPasses passes(source, destination, across, down);
    report(QString(), 0, 100);
    report(QStringLiteral("Horizontal Resize"), 0, sourceHeight - 1);
    passes.Run(report);

    report(yscale < 1 ? QStringLiteral("Vertical sub-sampling") : QStringLiteral("Vertical super-sampling"), 0,
           height - 1);
    report(QString(), 0, 100);
    report(QStringLiteral("Vertical Resize"), 0, width - 1);
    // The columns are done too; a view still sees the pass down through.
    for (int k = 0; k < width; k += 10)
        report(QString(), k, -1);
    return destination;
}

QImage ResizeStep(const QImage& working, int width, int height, const ResampleFilter& method,
                  const ResampleProgress& progress, QStringList& warnings)
{
    if (width <= 0)
        throw PictaronError(QStringLiteral("Resize width must be above zero."));
    if (height <= 0)
        throw PictaronError(QStringLiteral("Resize height must be above zero."));
    try {
        return ResampleBitmap(working, QSize(width, height), method.filter, method.support, progress);
    } catch (const RunCancelled&) {
        throw;
    } catch (const std::exception&) {
        // Nothing half-resized escapes: the picture stays as it was.
        warnings.append(kResizeFailedMessage);
        return working;
    }
}

} // namespace pictaron
