#include "effects/similarity.h"

#include "effects/pixels.h"
#include "effects/workerthreads.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <vector>

namespace pictaron {

namespace {

constexpr int kRadius = kSimilarityWindow / 2;
constexpr double kC1 = (0.01 * 255) * (0.01 * 255);
constexpr double kC2 = (0.03 * 255) * (0.03 * 255);
// Rows of index a part works out; each part reads its rows and the window's
// reach above and below.
constexpr int kRowsPerPart = 64;

std::array<float, kSimilarityWindow> GaussianWeights()
{
    std::array<double, kSimilarityWindow> weights{};
    for (int k = -kRadius; k <= kRadius; ++k)
        weights[static_cast<size_t>(k + kRadius)] = std::exp(-0.5 * k * k / (1.5 * 1.5));
    const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
    std::array<float, kSimilarityWindow> normalised{};
    for (size_t i = 0; i < weights.size(); ++i)
        normalised[i] = static_cast<float>(weights[i] / sum);
    return normalised;
}

void LumaRow(const Bitmap& picture, int y, float* out)
{
    const RGBTriple* row = RowPixels(picture, y);
    for (int x = 0; x < picture.width(); ++x)
        out[x] = 0.299f * row[x].red + 0.587f * row[x].green + 0.114f * row[x].blue;
}

// One thread's rows of luma and the five quantities of one row after the
// pass down, made before the threads start (a worker must not throw).
struct Scratch {
    explicit Scratch(int width)
        : lumaA(static_cast<size_t>(kRowsPerPart + 2 * kRadius) * width), lumaB(lumaA.size()),
          down(5 * static_cast<size_t>(width))
    {
    }
    std::vector<float> lumaA, lumaB, down;
};

// The sum of the index over the output rows first..last - 1 (picture rows,
// each at least kRadius from either edge).
double SumOfRows(const Bitmap& a, const Bitmap& b, int first, int last, const std::array<float, kSimilarityWindow>& g,
                 Scratch& scratch)
{
    const int width = a.width();
    const int rows = last - first + 2 * kRadius;
    std::vector<float>& lumaA = scratch.lumaA;
    std::vector<float>& lumaB = scratch.lumaB;
    std::vector<float>& down = scratch.down;
    for (int r = 0; r < rows; ++r) {
        LumaRow(a, first - kRadius + r, &lumaA[static_cast<size_t>(r) * width]);
        LumaRow(b, first - kRadius + r, &lumaB[static_cast<size_t>(r) * width]);
    }
    float* meanA = down.data();
    float* meanB = meanA + width;
    float* squareA = meanB + width;
    float* squareB = squareA + width;
    float* product = squareB + width;
    double sum = 0;
    for (int y = first; y < last; ++y) {
        std::fill(down.begin(), down.end(), 0.0f);
        for (int k = 0; k < kSimilarityWindow; ++k) {
            const float weight = g[static_cast<size_t>(k)];
            const float* pa = &lumaA[static_cast<size_t>(y - first + k) * width];
            const float* pb = &lumaB[static_cast<size_t>(y - first + k) * width];
            for (int x = 0; x < width; ++x) {
                meanA[x] += weight * pa[x];
                meanB[x] += weight * pb[x];
                squareA[x] += weight * pa[x] * pa[x];
                squareB[x] += weight * pb[x] * pb[x];
                product[x] += weight * pa[x] * pb[x];
            }
        }
        for (int x = kRadius; x < width - kRadius; ++x) {
            double ma = 0, mb = 0, sa = 0, sb = 0, p = 0;
            for (int k = 0; k < kSimilarityWindow; ++k) {
                const double weight = g[static_cast<size_t>(k)];
                const int at = x - kRadius + k;
                ma += weight * meanA[at];
                mb += weight * meanB[at];
                sa += weight * squareA[at];
                sb += weight * squareB[at];
                p += weight * product[at];
            }
            const double varianceA = sa - ma * ma, varianceB = sb - mb * mb, covariance = p - ma * mb;
            sum += (2 * ma * mb + kC1) * (2 * covariance + kC2)
                / ((ma * ma + mb * mb + kC1) * (varianceA + varianceB + kC2));
        }
    }
    return sum;
}

} // namespace

std::optional<double> StructuralSimilarity(const Bitmap& reference, const Bitmap& distorted)
{
    if (reference.size() != distorted.size() || reference.width() < kSimilarityWindow
        || reference.height() < kSimilarityWindow)
        return std::nullopt;
    const Bitmap a = ToWorkingBitmap(reference);
    const Bitmap b = ToWorkingBitmap(distorted);
    const std::array<float, kSimilarityWindow> g = GaussianWeights();
    const int first = kRadius, last = a.height() - kRadius;
    const int parts = (last - first + kRowsPerPart - 1) / kRowsPerPart;
    const int threads = WorkerThreadCount();
    std::vector<Scratch> scratch(static_cast<size_t>(std::min(threads, parts)), Scratch(a.width()));
    std::vector<double> sums(static_cast<size_t>(parts));
    ForEachPart(parts, threads, [&](int part, int worker) {
        const int from = first + part * kRowsPerPart;
        sums[static_cast<size_t>(part)] =
            SumOfRows(a, b, from, std::min(last, from + kRowsPerPart), g, scratch[static_cast<size_t>(worker)]);
    });
    // Summed in part order, so the score does not depend on the thread count.
    const double total = std::accumulate(sums.begin(), sums.end(), 0.0);
    return total / (double(a.width() - 2 * kRadius) * double(last - first));
}

} // namespace pictaron
