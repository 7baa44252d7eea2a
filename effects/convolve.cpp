#include "effects/convolve.h"

#include "components/busy.h"
#include "components/errors.h"
#include "effects/pixels.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pictaron {

namespace {

// Every sum the kernel can produce from bytes 0..255, mapped to its output byte.
class SumTable {
public:
    explicit SumTable(const Kernel3x3& kernel)
    {
        int negative = 0, positive = 0;
        for (int weight : kernel)
            (weight < 0 ? negative : positive) += weight;
        lowest_ = 255 * negative;
        const int divisor = KernelSum(kernel);
        bytes_.resize(static_cast<std::size_t>(255 * positive - lowest_ + 1));
        for (std::size_t i = 0; i < bytes_.size(); ++i)
            bytes_[i] = static_cast<std::uint8_t>(Clamp((static_cast<int>(i) + lowest_) / divisor, 0, 255));
    }
    // The table indexed directly by a sum.
    const std::uint8_t* BySum() const { return bytes_.data() - lowest_; }

private:
    int lowest_ = 0;
    std::vector<std::uint8_t> bytes_;
};

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

QImage ConvolveBitmap(const QImage& source, const Kernel3x3& k)
{
    if (KernelSum(k) == 0)
        throw PictaronError(QStringLiteral("The filter's weights add up to zero."));
    const SumTable table(k);
    const std::uint8_t* bySum = table.BySum();

    const int width = source.width();
    const int height = source.height();
    QImage filtered = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y) {
        const uchar* above = source.constScanLine(y > 0 ? y - 1 : y);
        const uchar* row = source.constScanLine(y);
        const uchar* below = source.constScanLine(y < height - 1 ? y + 1 : y);
        uchar* out = filtered.scanLine(y);

        // The first and last pixels, whose missing neighbours repeat the edge.
        const auto edgePixel = [&](int x) {
            const int l = 3 * std::max(x - 1, 0), c = 3 * x, r = 3 * std::min(x + 1, width - 1);
            for (int ch = 0; ch < 3; ++ch) {
                const int sum = k[0] * above[l + ch] + k[1] * above[c + ch] + k[2] * above[r + ch]
                    + k[3] * row[l + ch] + k[4] * row[c + ch] + k[5] * row[r + ch]
                    + k[6] * below[l + ch] + k[7] * below[c + ch] + k[8] * below[r + ch];
                out[c + ch] = bySum[sum];
            }
        };
        edgePixel(0);
        // Inside the row the left and right neighbours of a byte are 3 bytes away.
        const int end = 3 * (width - 1);
        for (int i = 3; i < end; ++i) {
            const int sum = k[0] * above[i - 3] + k[1] * above[i] + k[2] * above[i + 3]
                + k[3] * row[i - 3] + k[4] * row[i] + k[5] * row[i + 3]
                + k[6] * below[i - 3] + k[7] * below[i] + k[8] * below[i + 3];
            out[i] = bySum[sum];
        }
        if (width > 1)
            edgePixel(width - 1);
    }
    return filtered;
}

QImage Convolve3x3(const QImage& source, ConvolveKind kind, int amount)
{
    const BusyScope busy;
    return ConvolveBitmap(source, BuildKernel(kind, amount));
}

} // namespace pictaron
