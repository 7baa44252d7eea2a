#include "effects/resample.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "formats/pictureloader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <thread>
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
    return static_cast<uchar>((clamped + 0x1p23f) - 0x1p23f);
}

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

// Adds one source row, times its weight, into the float sums of a strip. Each
// sum is formed in double and stored back as float; the loop is the same for
// every byte, so the compiler turns it into vector code (AVX2 where the
// processor has it; without FMA, so every build rounds alike).
__attribute__((target_clones("avx2", "default")))
void AccumulateRow(float* __restrict sums, const uchar* __restrict in, int count, double weight)
{
    for (int b = 0; b < count; ++b)
        sums[b] = static_cast<float>(static_cast<double>(sums[b]) + in[b] * weight);
}

// Row i of the output is the weighted sum of the input rows in list i, for
// the columns k0..k1 - 1 only. sums holds room for 3 · (k1 - k0) floats.
void ResampleStrip(const uchar* in, qsizetype inStride, uchar* out, qsizetype outStride, int outRows,
                   const Contributions& lists, int k0, int k1, float* sums)
{
    const int bytes = 3 * (k1 - k0);
    for (int i = 0; i < outRows; ++i) {
        std::fill_n(sums, bytes, 0.0f);
        for (int e = lists.first[i]; e < lists.first[i + 1]; ++e)
            AccumulateRow(sums, in + lists.index[e] * inStride + 3 * k0, bytes, lists.weight[e]);
        uchar* row = out + i * outStride + 3 * k0;
        for (int b = 0; b < bytes; ++b)
            row[b] = ToByte(sums[b]);
    }
}

// The whole output, a strip of columns at a time so that the sums stay in
// cache. Strips share nothing, so a batch of them runs on several threads;
// the bytes are the same as on one. The progress of each column that is a
// multiple of 10 is reported, in order, before its batch.
void ResampleRows(const QImage& in, QImage& out, const Contributions& lists, const ResampleProgress& progress)
{
    constexpr int kStripColumns = 512;
    const int width = out.width();
    const int threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    const int batchColumns = threads * kStripColumns;
    std::vector<std::vector<float>> sums(threads, std::vector<float>(3 * kStripColumns));
    const uchar* inBits = in.constBits();
    uchar* outBits = out.bits();
    for (int b0 = 0; b0 < width; b0 += batchColumns) {
        const int b1 = std::min(width, b0 + batchColumns);
        for (int k = (b0 + 9) / 10 * 10; k < b1; k += 10)
            progress(QString(), k, -1);
        std::vector<std::jthread> workers;
        for (int t = 1, k0 = b0 + kStripColumns; k0 < b1; ++t, k0 += kStripColumns)
            workers.emplace_back(ResampleStrip, inBits, in.bytesPerLine(), outBits, out.bytesPerLine(), out.height(),
                                 std::cref(lists), k0, std::min(b1, k0 + kStripColumns), sums[t].data());
        ResampleStrip(inBits, in.bytesPerLine(), outBits, out.bytesPerLine(), out.height(), lists, b0,
                      std::min(b1, b0 + kStripColumns), sums[0].data());
    }
}

// Rows become columns. Done in small tiles so that both pictures are walked
// through the cache rather than across it.
QImage Transposed(const QImage& picture)
{
    constexpr int kTile = 32;
    const int width = picture.width();
    const int height = picture.height();
    QImage transposed = NewBitmapWithin(height, width);
    const uchar* in = picture.constBits();
    const qsizetype inStride = picture.bytesPerLine();
    uchar* out = transposed.bits();
    const qsizetype outStride = transposed.bytesPerLine();
    for (int y0 = 0; y0 < height; y0 += kTile)
        for (int x0 = 0; x0 < width; x0 += kTile)
            for (int x = x0; x < std::min(width, x0 + kTile); ++x) {
                auto* column = reinterpret_cast<RGBTriple*>(out + x * outStride);
                for (int y = y0; y < std::min(height, y0 + kTile); ++y)
                    column[y] = reinterpret_cast<const RGBTriple*>(in + y * inStride)[x];
            }
    return transposed;
}

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

QImage ResampleBitmap(const QImage& source, QSize target, FilterFunction filter, float support,
                      const ResampleProgress& progress)
{
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    if (sourceWidth < 1 || sourceHeight < 1)
        throw PictaronError(QStringLiteral("Source bitmap too small"));
    const int width = target.width();
    const int height = target.height();
    if (width < 1 || height < 1)
        throw PictaronError(QStringLiteral("Target bitmap too small"));
    const ResampleProgress report = progress ? progress : [](const QString&, int, int) {};

    // The horizontal pass works on the transposed picture, so that both passes
    // add whole rows: the sums come out the same, in the same order.
    const QImage sourceColumns = Transposed(source);
    QImage intermediateColumns = NewBitmapWithin(sourceHeight, width);
    QImage destination = NewBitmapWithin(width, height);
    const float xscale = Scale(width, sourceWidth);
    const float yscale = Scale(height, sourceHeight);

    report(xscale < 1 ? QStringLiteral("Horizontal sub-sampling") : QStringLiteral("Horizontal super-sampling"), 0,
           width - 1);
    Contributions lists = BuildContributions(width, sourceWidth, xscale, filter, support);
    report(QString(), 0, 100);
    report(QStringLiteral("Horizontal Resize"), 0, sourceHeight - 1);
    ResampleRows(sourceColumns, intermediateColumns, lists, report);
    const QImage intermediate = Transposed(intermediateColumns);

    report(yscale < 1 ? QStringLiteral("Vertical sub-sampling") : QStringLiteral("Vertical super-sampling"), 0,
           height - 1);
    lists = BuildContributions(height, sourceHeight, yscale, filter, support);
    report(QString(), 0, 100);
    report(QStringLiteral("Vertical Resize"), 0, width - 1);
    ResampleRows(intermediate, destination, lists, report);
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
