#include "effects/buttonize.h"

#include "components/errors.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace pictaron {

namespace {

constexpr RGBTriple kBlack{0, 0, 0};
constexpr RGBTriple kWhite{255, 255, 255};

struct BandColours {
    RGBTriple top, left, right, bottom;
};

BandColours ColoursFor(const ButtonizeOptions& options)
{
    RGBTriple highlight = MixColours(options.line, kWhite, 0.7f);
    RGBTriple shadow = MixColours(options.line, kBlack, 0.7f);
    if (options.invert)
        std::swap(highlight, shadow);
    switch (options.lighting) {
    case Lighting::None:
        return {options.line, options.line, options.line, options.line};
    case Lighting::TopRight:
        return {highlight, shadow, highlight, shadow};
    case Lighting::BottomLeft:
        return {shadow, highlight, shadow, highlight};
    case Lighting::BottomRight:
        return {shadow, shadow, highlight, highlight};
    case Lighting::TopLeft:
    case Lighting::NotSelected:
        break;
    }
    return {highlight, highlight, shadow, shadow};
}

// Fade factors are formed in long double from integers and held as floats.
float Single(long double value)
{
    return static_cast<float>(value);
}

} // namespace

BevelSize ButtonBevel(int width, int height, int widthPercent)
{
    const long double share = static_cast<long double>(Clamp(widthPercent, 0, 100)) * 0.01L;
    return {static_cast<int>(Round(width * share) / 2), static_cast<int>(Round(height * share) / 2)};
}

Bitmap ButtonizeBitmap(const Bitmap& source, const ButtonizeOptions& options)
{
    const int width = source.width();
    const int height = source.height();
    const BevelSize bevel = ButtonBevel(width, height, options.widthPercent);
    const int bx = bevel.x;
    const int by = bevel.y;
    if (bx < 1 || by < 1)
        throw RunDeclined(std::string("the button edge is too thin to draw at this size"));

    const BandColours colours = ColoursFor(options);
    const float slope = static_cast<float>(static_cast<long double>(bx) / by);
    const int yBottom = height - 1 - by;
    const int xRight = width - 1 - bx;
    // Round(n · slope): where a mitre crosses a row n rows from the edge.
    const auto mitre = [slope](int n) { return static_cast<int>(Round(static_cast<long double>(n) * slope)); };

    Bitmap button = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        std::memcpy(RowPixels(button, y), RowPixels(source, y), sizeof(RGBTriple) * width);

    // Pixels x0..x1 of row y (cut to the picture) mixed toward a band colour.
    const auto paint = [&](int y, int x0, int x1, RGBTriple colour, auto factorAt) {
        const RGBTriple* in = RowPixels(source, y);
        RGBTriple* out = RowPixels(button, y);
        for (int x = std::max(x0, 0); x <= std::min(x1, width - 1); ++x)
            out[x] = MixColours(in[x], colour, options.fade ? factorAt(x) : 1.0f);
    };

    for (int y = 0; y <= std::min(by, height - 1); ++y) {
        const float f = Single(1 - static_cast<long double>(y) / by);  // solid at the edge, gone inside
        paint(y, mitre(y), width - mitre(y), colours.top, [f](int) { return f; });
    }
    for (int y = 0; y < height; ++y) {
        const int xe = y <= by ? mitre(y) : y < yBottom ? bx : mitre(height - 1 - y);
        paint(y, 0, xe, colours.left, [&](int x) { return xe == 0 ? 1.0f : Single(1 - static_cast<long double>(x) / bx); });
    }
    for (int y = 0; y < height; ++y) {
        const int xs = y < by ? width - mitre(y) : y <= yBottom ? xRight : width - mitre(height - y);
        // Reaches bx / (bx + 1), not 1, at the outermost column.
        paint(y, xs, width - 1, colours.right, [&](int x) { return Single(static_cast<long double>(x - xRight) / (bx + 1)); });
    }
    for (int y = yBottom; y < height; ++y) {
        const float f = Single(static_cast<long double>(y - yBottom) / by);
        paint(y, mitre(height - 1 - y), width - mitre(height - 1 - y), colours.bottom, [f](int) { return f; });
    }

    if (options.invert) {
        // The pressed look: the inner area at four fifths, over the bands'
        // innermost row and column.
        // MixColours(pixel, black, 0.2) channel by channel, from a table.
        std::array<std::uint8_t, 256> darker;
        for (int v = 0; v < 256; ++v)
            darker[v] = static_cast<std::uint8_t>(MixChannel(v, 0, 0.2f));
        for (int y = by; y <= yBottom; ++y) {
            const std::uint8_t* in = source.constScanLine(y);
            std::uint8_t* out = button.scanLine(y);
            for (int i = 3 * bx; i < 3 * (xRight + 1); ++i)
                out[i] = darker[in[i]];
        }
    }

    // The frame: the outermost pixels all round.
    std::fill_n(RowPixels(button, 0), width, kBlack);
    std::fill_n(RowPixels(button, height - 1), width, kBlack);
    for (int y = 0; y < height; ++y) {
        RowPixels(button, y)[0] = kBlack;
        RowPixels(button, y)[width - 1] = kBlack;
    }
    return button;
}

} // namespace pictaron
