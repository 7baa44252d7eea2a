#include "effects/resample.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "effects/workerthreads.h"
#include "effects/vectorclones.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
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
inline std::uint8_t ToByte(float sum)
{
    const float clamped = std::min(std::max(sum, 0.0f), 255.0f);
    return static_cast<std::uint8_t>(static_cast<int>((clamped + 0x1p23f) - 0x1p23f));
}

// Destination pixels of the pass across whose sums are turned back together.
constexpr int kAcrossBlock = 128;

float Scale(int destinationSize, int sourceSize)
{
    if (sourceSize != 1 && destinationSize != 1)
        return static_cast<float>(static_cast<long double>(destinationSize - 1) / (sourceSize - 1));
    return static_cast<float>(static_cast<long double>(destinationSize) / sourceSize);
}

// The bytes of count sums: sum b adds in[index[t] · step + b] · weight[t] over
// the taps t in order, each addition formed in double and stored back as
// float. The loop over b is the same for every byte, so the compiler turns it
// into vector code (AVX-512 or AVX2 where the processor has it; never with
// FMA, so every build rounds alike). sums holds room for count floats.
PICTARON_VECTOR_CLONES("arch=x86-64-v4", "avx2", "default")
void SumTaps(std::uint8_t* __restrict out, const std::uint8_t* __restrict in, std::ptrdiff_t step, const int* index,
             const double* weight, int taps, int count, float* __restrict sums)
{
    std::fill_n(sums, count, 0.0f);
    for (int t = 0; t < taps; ++t) {
        const std::uint8_t* source = in + index[t] * step;
        const double w = weight[t];
        for (int b = 0; b < count; ++b)
            sums[b] = static_cast<float>(static_cast<double>(sums[b]) + source[b] * w);
    }
    for (int b = 0; b < count; ++b)
        out[b] = ToByte(sums[b]);
}

// A pass's units (rows or columns) in strips: strip s is units
// s · stripUnits .. (s + 1) · stripUnits - 1. Strips share nothing, so a batch
// of them runs on several threads, and the bytes are the same as on one. The
// progress of each unit that is a multiple of 10 is reported, in order, before
// its batch, from the calling thread only.
void ForEachStrip(int units, int stripUnits, int threads, const ResampleProgress& progress,
                  const std::function<void(int first, int last, int worker)>& work)
{
    constexpr int kBatchUnitsPerThread = 512;
    const int stripsPerBatch = std::max(1, threads * kBatchUnitsPerThread / stripUnits);
    const int strips = (units + stripUnits - 1) / stripUnits;
    for (int s0 = 0; s0 < strips; s0 += stripsPerBatch) {
        const int batch = std::min(stripsPerBatch, strips - s0);
        for (int k = (s0 * stripUnits + 9) / 10 * 10; k < std::min(units, (s0 + batch) * stripUnits); k += 10)
            progress({}, k, -1);
        ForEachPart(batch, threads, [&](int part, int worker) {
            const int first = (s0 + part) * stripUnits;
            work(first, std::min(units, first + stripUnits), worker);
        });
    }
}

// Pixel x of each of the rows r < rows (row r at in + r · inStride) copied to
// out + x · outStep + 3 · r, for every x < width: a strip of rows turned into
// one of columns. Byte blue of a pixel goes first and byte 2 - blue last, so
// blue = 2 turns RGB into BGR on the way. Blocks of a few columns keep the
// lines written in cache.
void TurnPixels(const std::uint8_t* in, std::ptrdiff_t inStride, int rows, int width, std::uint8_t* out, std::ptrdiff_t outStep, int blue)
{
    constexpr int kBlock = 16;
    for (int x0 = 0; x0 < width; x0 += kBlock) {
        const int x1 = std::min(width, x0 + kBlock);
        for (int r = 0; r < rows; ++r) {
            const std::uint8_t* pixel = in + r * inStride + 3 * x0;
            std::uint8_t* target = out + x0 * outStep + 3 * r;
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
void ResampleStripAcross(const std::uint8_t* in, std::ptrdiff_t inStride, int inWidth, int blue, std::uint8_t* out,
                         std::ptrdiff_t outStride, int outWidth, int rows, const Contributions& lists, std::uint8_t* turned,
                         std::uint8_t* bytes, float* sums)
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

// Every row of in (a working bitmap or RGB888) resampled across into the same
// row of out, a strip of rows at a time.
void ResampleAcross(const Bitmap& in, Bitmap& out, const Contributions& lists, const ResampleProgress& progress)
{
    constexpr int kStripRows = 32;
    const int threads = WorkerThreadCount();
    struct Scratch {
        std::vector<std::uint8_t> turned;
        std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(3 * kStripRows * kAcrossBlock);
        std::vector<float> sums = std::vector<float>(3 * kStripRows);
    };
    std::vector<Scratch> scratch(threads);
    for (Scratch& own : scratch)
        own.turned.resize(static_cast<std::size_t>(in.width()) * 3 * kStripRows);
    const int blue = in.format() == Bitmap::Format_RGB888 ? 2 : 0;
    const std::uint8_t* inBits = in.constBits();
    const std::ptrdiff_t inStride = in.bytesPerLine();
    std::uint8_t* outBits = out.bits();
    const std::ptrdiff_t outStride = out.bytesPerLine();
    ForEachStrip(in.height(), kStripRows, threads, progress, [&](int y0, int y1, int worker) {
        Scratch& own = scratch[worker];
        ResampleStripAcross(inBits + y0 * inStride, inStride, in.width(), blue, outBits + y0 * outStride,
                            outStride, out.width(), y1 - y0, lists, own.turned.data(), own.bytes.data(),
                            own.sums.data());
    });
}

// Every row of out as the weighted sum of rows of in, a strip of columns at a
// time so that the sums stay in cache.
void ResampleDown(const Bitmap& in, Bitmap& out, const Contributions& lists, const ResampleProgress& progress)
{
    constexpr int kStripColumns = 512;
    const int threads = WorkerThreadCount();
    std::vector<std::vector<float>> sums(threads, std::vector<float>(3 * kStripColumns));
    const std::uint8_t* inBits = in.constBits();
    const std::ptrdiff_t inStride = in.bytesPerLine();
    std::uint8_t* outBits = out.bits();
    const std::ptrdiff_t outStride = out.bytesPerLine();
    const int height = out.height();
    ForEachStrip(out.width(), kStripColumns, threads, progress, [&](int k0, int k1, int worker) {
        for (int i = 0; i < height; ++i) {
            const int first = lists.first[i];
            SumTaps(outBits + i * outStride + 3 * k0, inBits + 3 * k0, inStride, lists.index.data() + first,
                    lists.weight.data() + first, lists.first[i + 1] - first, 3 * (k1 - k0), sums[worker].data());
        }
    });
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

Bitmap ResampleBitmap(const Bitmap& picture, Size target, FilterFunction filter, float support,
                      const ResampleProgress& progress)
{
    // RGB rows are put in order as their strips are turned.
    const Bitmap source = picture.format() == Bitmap::Format_RGB888 ? picture : ToWorkingBitmap(picture);
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    if (sourceWidth < 1 || sourceHeight < 1)
        throw PictaronError(std::string("Source bitmap too small"));
    const int width = target.width();
    const int height = target.height();
    if (width < 1 || height < 1)
        throw PictaronError(std::string("Target bitmap too small"));
    const ResampleProgress report = progress ? progress : [](const std::string&, int, int) {};

    // The result first: a size beyond memory is refused under its own name.
    Bitmap destination = NewWorkingBitmap(width, height);
    Bitmap intermediate = NewWorkingBitmap(width, sourceHeight);
    const float xscale = Scale(width, sourceWidth);
    const float yscale = Scale(height, sourceHeight);

    report(xscale < 1 ? "Horizontal sub-sampling" : "Horizontal super-sampling", 0,
           width - 1);
    Contributions lists = BuildContributions(width, sourceWidth, xscale, filter, support);
    report({}, 0, 100);
    report("Horizontal Resize", 0, sourceHeight - 1);
    ResampleAcross(source, intermediate, lists, report);

    report(yscale < 1 ? "Vertical sub-sampling" : "Vertical super-sampling", 0,
           height - 1);
    lists = BuildContributions(height, sourceHeight, yscale, filter, support);
    report({}, 0, 100);
    report("Vertical Resize", 0, width - 1);
    ResampleDown(intermediate, destination, lists, report);
    return destination;
}

namespace {

// Four channels a pixel, blue, green, red premultiplied and alpha, in float.
using Samples = std::vector<float>;

// One pass of the normalised resample over lines of `count` pixels: line l of
// `in` holds its pixels `stride` samples apart, and so will `out`.
void NormalisedPass(const Samples& in, Samples& out, int lines, std::ptrdiff_t inLine, std::ptrdiff_t outLine, std::ptrdiff_t pixel,
                    const Contributions& lists, int destinationSize, const ResampleProgress& report)
{
    for (int line = 0; line < lines; ++line) {
        if (line % 16 == 0)
            report({}, line, -1);
        for (int i = 0; i < destinationSize; ++i) {
            float sums[4] = {0, 0, 0, 0};
            double total = 0;
            for (int t = lists.first[static_cast<size_t>(i)]; t < lists.first[static_cast<size_t>(i) + 1]; ++t) {
                const double w = lists.weight[static_cast<size_t>(t)];
                const float* source = &in[static_cast<size_t>(line * inLine + lists.index[static_cast<size_t>(t)] * pixel)];
                for (int c = 0; c < 4; ++c)
                    sums[c] = static_cast<float>(sums[c] + source[c] * w);
                total += w;
            }
            float* target = &out[static_cast<size_t>(line * outLine + i * pixel)];
            for (int c = 0; c < 4; ++c)
                target[c] = total > 0 ? static_cast<float>(sums[c] / total) : 0.0f;
        }
    }
}

} // namespace

PremultipliedPicture ResamplePremultiplied(const PremultipliedPicture& picture, Size target,
                                           const ResampleFilter& method, const ResampleProgress& progress)
{
    const Bitmap colours = ToWorkingBitmap(picture.colours);
    const Bitmap alpha = ToWorkingBitmap(picture.alpha);
    const int sourceWidth = colours.width(), sourceHeight = colours.height();
    const int width = target.width(), height = target.height();
    if (sourceWidth < 1 || sourceHeight < 1)
        throw PictaronError(std::string("Source bitmap too small"));
    if (width < 1 || height < 1)
        throw PictaronError(std::string("Target bitmap too small"));
    PremultipliedPicture out{NewWorkingBitmap(width, height), NewWorkingBitmap(width, height)};
    const ResampleProgress report = progress ? progress : [](const std::string&, int, int) {};

    Samples source(4 * static_cast<size_t>(sourceWidth) * sourceHeight);
    for (int y = 0; y < sourceHeight; ++y)
        for (int x = 0; x < sourceWidth; ++x) {
            float* p = &source[4 * (static_cast<size_t>(y) * sourceWidth + x)];
            for (int c = 0; c < 3; ++c)
                p[c] = colours.constScanLine(y)[3 * x + c];
            p[3] = alpha.constScanLine(y)[3 * x];
        }
    // Across every row, then down every column of the result of that.
    Samples across(4 * static_cast<size_t>(width) * sourceHeight);
    report("Horizontal Resize", 0, sourceHeight - 1);
    NormalisedPass(source, across, sourceHeight, 4 * std::ptrdiff_t(sourceWidth), 4 * std::ptrdiff_t(width), 4,
                   BuildContributions(width, sourceWidth, Scale(width, sourceWidth), method.filter, method.support),
                   width, report);
    source = Samples();
    Samples down(4 * static_cast<size_t>(width) * height);
    report("Vertical Resize", 0, width - 1);
    NormalisedPass(across, down, width, 4, 4, 4 * std::ptrdiff_t(width),
                   BuildContributions(height, sourceHeight, Scale(height, sourceHeight), method.filter, method.support),
                   height, report);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float* p = &down[4 * (static_cast<size_t>(y) * width + x)];
            const float a = std::clamp(p[3], 0.0f, 255.0f);
            for (int c = 0; c < 3; ++c)
                out.colours.scanLine(y)[3 * x + c] = static_cast<std::uint8_t>(std::lround(std::clamp(p[c], 0.0f, a)));
            const auto level = static_cast<std::uint8_t>(std::lround(a));
            std::uint8_t* grey = out.alpha.scanLine(y) + 3 * x;
            grey[0] = grey[1] = grey[2] = level;
        }
    return out;
}

void CheckResizeSize(int width, int height)
{
    if (width <= 0)
        throw PictaronError(std::string("Resize width must be above zero."));
    if (height <= 0)
        throw PictaronError(std::string("Resize height must be above zero."));
}

Bitmap ResizeStep(const Bitmap& working, int width, int height, const ResampleFilter& method,
                  const ResampleProgress& progress, Texts& warnings)
{
    CheckResizeSize(width, height);
    try {
        return ResampleBitmap(working, Size(width, height), method.filter, method.support, progress);
    } catch (const RunCancelled&) {
        throw;
    } catch (const NotEnoughMemory&) {
        throw;
    } catch (const std::exception&) {
        // Nothing half-resized escapes: the picture stays as it was.
        warnings.emplace_back(kResizeFailedMessage);
        return working;
    }
}

} // namespace pictaron
