#include "effects/tone.h"

#include "effects/pixels.h"

#include <array>
#include <cstdint>

namespace pictaron {

namespace {

constexpr int kToneLimit = 255;

} // namespace

int ContrastChannel(int v, float k)
{
    if (k == 0)
        return v;
    const long double factor = k;
    if (k > 0) {
        return v < 127 ? v - static_cast<int>(Round(v * factor))
                       : v + static_cast<int>(Round((254 - v) * factor));
    }
    return v < 127 ? v - static_cast<int>(Round((127 - v) * factor))
                   : v + static_cast<int>(Round((v - 127) * factor));
}

Bitmap AdjustTone(const Bitmap& source, int brightness, int contrast)
{
    brightness = Clamp(brightness, -kToneLimit, kToneLimit);
    contrast = Clamp(contrast, -kToneLimit, kToneLimit);
    const float k = static_cast<float>(static_cast<long double>(contrast) * (1.0L / 255));

    std::array<std::uint8_t, 256> table;
    for (int v = 0; v < 256; ++v) {
        int value = contrast != 0 ? ContrastChannel(v, k) : v;
        if (brightness != 0)
            value = Clamp(value + brightness, 0, 255);
        table[v] = static_cast<std::uint8_t>(value);
    }

    Bitmap adjusted = NewWorkingBitmap(source.width(), source.height());
    const std::ptrdiff_t rowBytes = std::ptrdiff_t(3) * source.width();
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        std::uint8_t* out = adjusted.scanLine(y);
        for (std::ptrdiff_t i = 0; i < rowBytes; ++i)
            out[i] = table[in[i]];
    }
    return adjusted;
}

Bitmap AdjustContrast(const Bitmap& source, int contrast)
{
    return AdjustTone(source, 0, contrast);
}

Bitmap AdjustBrightness(const Bitmap& source, int brightness)
{
    return AdjustTone(source, brightness, 0);
}

} // namespace pictaron
