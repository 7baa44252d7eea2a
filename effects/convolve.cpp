#include "effects/convolve.h"

#include "components/busy.h"
#include "components/errors.h"
#include "effects/pixels.h"
#include "effects/workerthreads.h"
#include "effects/vectorclones.h"

#include <algorithm>
#include <cstdlib>

namespace pictaron {

namespace {

// The float quotient of a whole-number sum is exact enough to truncate: a
// quotient that is not whole lies at least 1/|divisor| from the next whole
// number, and for |sum| < 2^24 float's rounding moves it by less than that.
// Unlike a table of sums, this runs as vector code.
inline std::uint8_t SumToByte(int sum, float divisor)
{
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(static_cast<float>(sum) / divisor), 0, 255));
}

// AVX2 where the processor has it: twice the bytes per instruction.
PICTARON_VECTOR_CLONES("avx2", "default")
void ConvolveRow(const std::uint8_t* above, const std::uint8_t* row, const std::uint8_t* below, std::uint8_t* out, int width,
                 const Kernel3x3& kernel, float divisor)
{
    // Copies in locals, so the compiler knows no store below changes them.
    const int k0 = kernel[0], k1 = kernel[1], k2 = kernel[2], k3 = kernel[3], k4 = kernel[4], k5 = kernel[5],
              k6 = kernel[6], k7 = kernel[7], k8 = kernel[8];
    // The first and last pixels, whose missing neighbours repeat the edge.
    const auto edgePixel = [&](int x) {
        const int l = 3 * std::max(x - 1, 0), c = 3 * x, r = 3 * std::min(x + 1, width - 1);
        for (int ch = 0; ch < 3; ++ch) {
            const int sum = k0 * above[l + ch] + k1 * above[c + ch] + k2 * above[r + ch]
                + k3 * row[l + ch] + k4 * row[c + ch] + k5 * row[r + ch]
                + k6 * below[l + ch] + k7 * below[c + ch] + k8 * below[r + ch];
            out[c + ch] = SumToByte(sum, divisor);
        }
    };
    edgePixel(0);
    // Inside the row the left and right neighbours of a byte are 3 bytes away.
    const int end = 3 * (width - 1);
    for (int i = 3; i < end; ++i) {
        const int sum = k0 * above[i - 3] + k1 * above[i] + k2 * above[i + 3]
            + k3 * row[i - 3] + k4 * row[i] + k5 * row[i + 3]
            + k6 * below[i - 3] + k7 * below[i] + k8 * below[i + 3];
        out[i] = SumToByte(sum, divisor);
    }
    if (width > 1)
        edgePixel(width - 1);
}

} // namespace

Kernel3x3 BuildKernel(ConvolveKind kind, int amount)
{
    if (kind == ConvolveKind::Sharpen) {
        const int a = amount == -1 ? 5 : amount;
        return {-1, 1, 0,
                1, a, 1,
                -1, 1, 0};
    }
    return {2, 2, 2,
            2, amount, 2,
            2, 2, 2};
}

int KernelSum(const Kernel3x3& kernel)
{
    int sum = 0;
    for (int weight : kernel)
        sum += weight;
    return sum;
}

Bitmap ConvolveBitmap(const Bitmap& picture, const Kernel3x3& k)
{
    const int divisor = KernelSum(k);
    if (divisor == 0)
        throw PictaronError(std::string("The filter's weights add up to zero."));
    long long magnitude = 0;
    for (int weight : k)
        magnitude += std::abs(static_cast<long long>(weight));
    if (255 * magnitude >= (1 << 24))
        throw PictaronError(std::string("The filter's weights are too large."));

    // Every byte is filtered alike, so RGB rows stay RGB.
    const Bitmap source = picture.format() == Bitmap::Format_RGB888 ? picture : ToWorkingBitmap(picture);
    const int width = source.width();
    const int height = source.height();
    Bitmap filtered = NewWorkingBitmap(width, height, source.format());
    const std::uint8_t* in = source.constBits();
    const std::ptrdiff_t inStride = source.bytesPerLine();
    std::uint8_t* out = filtered.bits();
    const std::ptrdiff_t outStride = filtered.bytesPerLine();
    constexpr int kRowsPerPart = 64;
    ForEachPart((height + kRowsPerPart - 1) / kRowsPerPart, WorkerThreadCount(), [&](int part, int) {
        for (int y = part * kRowsPerPart; y < std::min(height, (part + 1) * kRowsPerPart); ++y)
            ConvolveRow(in + std::max(y - 1, 0) * inStride, in + y * inStride,
                        in + std::min(y + 1, height - 1) * inStride, out + y * outStride, width, k,
                        static_cast<float>(divisor));
    });
    return filtered;
}

Bitmap Convolve3x3(const Bitmap& source, ConvolveKind kind, int amount)
{
    const BusyScope busy;
    return ConvolveBitmap(source, BuildKernel(kind, amount));
}

} // namespace pictaron
