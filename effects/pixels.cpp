#include "effects/pixels.h"

#include "effects/vectorclones.h"

#include <atomic>

namespace pictaron {

namespace {

// The classic desktop colours: for when no window gives its palette, and for
// the command line, whose results must not depend on a desktop theme.
TColor FallbackSystemColour(int index)
{
    switch (index) {
    case 5: return 0xFFFFFF;   // window
    case 8: return 0x000000;   // window text
    case 13: return 0x800000;  // highlight (navy)
    case 14: return 0xFFFFFF;  // highlight text
    case 15: return 0xC0C0C0;  // button face
    case 16: return 0x808080;  // button shadow
    case 18: return 0x000000;  // button text
    case 20: return 0xFFFFFF;  // button highlight
    default: return 0xC0C0C0;
    }
}

std::atomic<SystemColourSource> systemColourSource{nullptr};

} // namespace

void SetSystemColourSource(SystemColourSource source)
{
    systemColourSource.store(source);
}

TColor ResolveSystemColour(TColor colour)
{
    if ((colour & kSystemColourFlag) == 0)
        return colour;
    if (const SystemColourSource source = systemColourSource.load()) {
        const TColor resolved = source(static_cast<int>(colour & 0xFF));
        if ((resolved & kSystemColourFlag) == 0)
            return resolved;
    }
    return ClassicSystemColour(colour);
}

TColor ClassicSystemColour(TColor colour)
{
    if ((colour & kSystemColourFlag) == 0)
        return colour;
    return FallbackSystemColour(static_cast<int>(colour & 0xFF));
}

RGBTriple ColorToTriple(TColor colour)
{
    const TColor rgb = ResolveSystemColour(colour);
    return RGBTriple{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                     static_cast<std::uint8_t>(rgb)};
}

TColor TripleToColor(RGBTriple triple)
{
    return triple.red + 256u * triple.green + 65536u * triple.blue;
}

int Clamp(int value, int low, int high)
{
    if (value < low)
        return low;
    if (value > high)
        return high;
    return value;
}

int MixChannel(int base, int other, float factor)
{
    return base + static_cast<int>(Round(static_cast<double>(other - base) * static_cast<double>(factor)));
}

RGBTriple MixColours(RGBTriple base, RGBTriple other, float factor)
{
    RGBTriple mixed;
    mixed.red = static_cast<std::uint8_t>(MixChannel(base.red, other.red, factor));
    mixed.green = static_cast<std::uint8_t>(MixChannel(base.green, other.green, factor));
    mixed.blue = static_cast<std::uint8_t>(MixChannel(base.blue, other.blue, factor));
    return mixed;
}

Bitmap NewWorkingBitmap(int width, int height, Bitmap::Format format)
{
    Bitmap bitmap(width, height, format);
    if (bitmap.isNull() && width > 0 && height > 0)
        ThrowOutOfMemory(width, height);
    return bitmap;
}

namespace {

// One row of RGB pixels as BGR; with AVX2 the compiler swaps 32 bytes at a time.
PICTARON_VECTOR_CLONES("avx2", "default")
void RgbToBgr(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, int width)
{
    for (int x = 0; x < width; ++x) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
    }
}

} // namespace

Bitmap ToWorkingBitmap(const Bitmap& picture)
{
    if (picture.isNull() || picture.format() == Bitmap::Format_BGR888)
        return picture;
    Bitmap bitmap = NewWorkingBitmap(picture.width(), picture.height());
    const int width = picture.width();
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint8_t* in = picture.constScanLine(y);
        std::uint8_t* out = bitmap.scanLine(y);
        switch (picture.format()) {
        case Bitmap::Format_RGB888:
            // As PPM files hold it: the common case.
            RgbToBgr(in, out, width);
            break;
        case Bitmap::Format_RGBA8888:
            for (int x = 0; x < width; ++x) {
                out[3 * x] = in[4 * x + 2];
                out[3 * x + 1] = in[4 * x + 1];
                out[3 * x + 2] = in[4 * x];
            }
            break;
        case Bitmap::Format_Grayscale8:
            for (int x = 0; x < width; ++x)
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
            break;
        case Bitmap::Format_Indexed8: {
            const std::vector<Argb>& table = picture.colorTable();
            for (int x = 0; x < width; ++x) {
                const Argb colour = in[x] < table.size() ? table[in[x]] : 0xFF000000u;
                out[3 * x] = static_cast<std::uint8_t>(BlueOf(colour));
                out[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(colour));
                out[3 * x + 2] = static_cast<std::uint8_t>(RedOf(colour));
            }
            break;
        }
        case Bitmap::Format_BGR888:
        case Bitmap::Format_Invalid:
            break;
        }
    }
    return bitmap;
}

} // namespace pictaron
