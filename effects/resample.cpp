#include "effects/resample.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "formats/pictureloader.h"

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

// Adds one product to a channel sum the way the sums are defined: formed in
// double, stored back as float.
inline float Accumulate(float sum, uchar value, double weight)
{
    return static_cast<float>(static_cast<double>(sum) + value * weight);
}

inline uchar ToByte(float sum)
{
    if (sum > 255)
        return 255;
    if (sum < 0)
        return 0;
    return static_cast<uchar>(Round(sum));
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

void HorizontalPass(const QImage& source, QImage& intermediate, const Contributions& lists,
                    const ResampleProgress& progress)
{
    const int width = intermediate.width();
    for (int k = 0; k < source.height(); ++k) {
        if (k % 10 == 0)
            progress(QString(), k, -1);
        const uchar* in = source.constScanLine(k);
        uchar* out = intermediate.scanLine(k);
        for (int i = 0; i < width; ++i) {
            float blue = 0, green = 0, red = 0;
            for (int e = lists.first[i]; e < lists.first[i + 1]; ++e) {
                const uchar* pixel = in + 3 * lists.index[e];
                const double weight = lists.weight[e];
                blue = Accumulate(blue, pixel[0], weight);
                green = Accumulate(green, pixel[1], weight);
                red = Accumulate(red, pixel[2], weight);
            }
            out[3 * i] = ToByte(blue);
            out[3 * i + 1] = ToByte(green);
            out[3 * i + 2] = ToByte(red);
        }
    }
}

void VerticalPass(const QImage& intermediate, QImage& destination, const Contributions& lists,
                  const ResampleProgress& progress)
{
    // Columns are taken a strip at a time so that rows are read in order; the
    // progress of each column is reported before its strip.
    constexpr int kStripColumns = 256;
    const int width = destination.width();
    const int height = destination.height();
    std::vector<float> sums(3 * static_cast<std::size_t>(std::min(width, kStripColumns)));
    for (int k0 = 0; k0 < width; k0 += kStripColumns) {
        const int k1 = std::min(width, k0 + kStripColumns);
        for (int k = (k0 + 9) / 10 * 10; k < k1; k += 10)
            progress(QString(), k, -1);
        const int bytes = 3 * (k1 - k0);
        for (int i = 0; i < height; ++i) {
            std::fill_n(sums.begin(), bytes, 0.0f);
            for (int e = lists.first[i]; e < lists.first[i + 1]; ++e) {
                const uchar* in = intermediate.constScanLine(lists.index[e]) + 3 * k0;
                const double weight = lists.weight[e];
                for (int b = 0; b < bytes; ++b)
                    sums[b] = Accumulate(sums[b], in[b], weight);
            }
            uchar* out = destination.scanLine(i) + 3 * k0;
            for (int b = 0; b < bytes; ++b)
                out[b] = ToByte(sums[b]);
        }
    }
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

    QImage intermediate = NewBitmapWithin(width, sourceHeight);
    QImage destination = NewBitmapWithin(width, height);
    const float xscale = Scale(width, sourceWidth);
    const float yscale = Scale(height, sourceHeight);

    report(xscale < 1 ? QStringLiteral("Horizontal sub-sampling") : QStringLiteral("Horizontal super-sampling"), 0,
           width - 1);
    Contributions lists = BuildContributions(width, sourceWidth, xscale, filter, support);
    report(QString(), 0, 100);
    report(QStringLiteral("Horizontal Resize"), 0, sourceHeight - 1);
    HorizontalPass(source, intermediate, lists, report);

    report(yscale < 1 ? QStringLiteral("Vertical sub-sampling") : QStringLiteral("Vertical super-sampling"), 0,
           height - 1);
    lists = BuildContributions(height, sourceHeight, yscale, filter, support);
    report(QString(), 0, 100);
    report(QStringLiteral("Vertical Resize"), 0, width - 1);
    VerticalPass(intermediate, destination, lists, report);
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
