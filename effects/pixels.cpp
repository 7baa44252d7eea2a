#include "effects/pixels.h"

#include "components/errors.h"
#include "effects/bitmapmemory.h"
#include "effects/vectorclones.h"

#include <QGuiApplication>
#include <QPalette>

namespace pictaron {

namespace {

// The classic desktop colours: for when no application palette exists, and
// for the command line, whose results must not depend on a desktop theme.
QColor FallbackSystemColour(int index)
{
    switch (index) {
    case 5: return QColor(255, 255, 255);   // window
    case 8: return QColor(0, 0, 0);         // window text
    case 13: return QColor(0, 0, 128);      // highlight
    case 14: return QColor(255, 255, 255);  // highlight text
    case 15: return QColor(192, 192, 192);  // button face
    case 16: return QColor(128, 128, 128);  // button shadow
    case 18: return QColor(0, 0, 0);        // button text
    case 20: return QColor(255, 255, 255);  // button highlight
    default: return QColor(192, 192, 192);
    }
}

TColor ToColourValue(const QColor& c)
{
    return static_cast<TColor>(c.red()) | static_cast<TColor>(c.green()) << 8 | static_cast<TColor>(c.blue()) << 16;
}

QColor PaletteSystemColour(const QPalette& palette, int index)
{
    switch (index) {
    case 0: case 1: case 12: return palette.color(QPalette::Window);          // scroll bar, desktop, workspace
    case 2: case 13: return palette.color(QPalette::Highlight);             // active caption, highlight
    case 3: case 11: case 4: return palette.color(QPalette::Button);         // inactive caption, borders, menu
    case 5: return palette.color(QPalette::Base);                          // window
    case 6: case 21: return palette.color(QPalette::Shadow);               // frame, 3D dark shadow
    case 7: case 8: return palette.color(QPalette::Text);                   // menu text, window text
    case 9: case 14: return palette.color(QPalette::HighlightedText);       // caption text, highlight text
    case 10: case 15: return palette.color(QPalette::Button);               // active border, button face
    case 16: return palette.color(QPalette::Dark);                          // button shadow
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);      // grey text
    case 18: return palette.color(QPalette::ButtonText);
    case 19: return palette.color(QPalette::Inactive, QPalette::WindowText); // inactive caption text
    case 20: return palette.color(QPalette::Light);                         // button highlight
    case 22: return palette.color(QPalette::Midlight);                      // 3D light
    case 23: return palette.color(QPalette::ToolTipText);
    case 24: return palette.color(QPalette::ToolTipBase);
    default: return palette.color(QPalette::Window);
    }
}

} // namespace

TColor ResolveSystemColour(TColor colour)
{
    if ((colour & kSystemColourFlag) == 0)
        return colour;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return ClassicSystemColour(colour);
    return ToColourValue(PaletteSystemColour(QGuiApplication::palette(), static_cast<int>(colour & 0xFF)));
}

TColor ClassicSystemColour(TColor colour)
{
    if ((colour & kSystemColourFlag) == 0)
        return colour;
    return ToColourValue(FallbackSystemColour(static_cast<int>(colour & 0xFF)));
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

[[noreturn]] void ThrowOutOfMemory(int width, int height)
{
    throw NotEnoughMemory(QStringLiteral("There is not enough memory for a picture of %1 by %2 pixels.")
                            .arg(width).arg(height));
}

QImage NewWorkingBitmap(int width, int height, QImage::Format format)
{
    QImage bitmap = AllocateBitmap(width, height, format);
    if (bitmap.isNull() && width > 0 && height > 0)
        ThrowOutOfMemory(width, height);
    return bitmap;
}

namespace {

// One row of RGB pixels as BGR; with AVX2 the compiler swaps 32 bytes at a time.
PICTARON_VECTOR_CLONES("avx2", "default")
void RgbToBgr(const uchar* __restrict in, uchar* __restrict out, int width)
{
    for (int x = 0; x < width; ++x) {
        out[3 * x] = in[3 * x + 2];
        out[3 * x + 1] = in[3 * x + 1];
        out[3 * x + 2] = in[3 * x];
    }
}

} // namespace

QImage ToWorkingBitmap(const QImage& picture)
{
    if (picture.format() == QImage::Format_BGR888)
        return picture;
    // RGB, as PPM files hold it, is the common case: swapped straight into
    // memory from NewWorkingBitmap.
    if (picture.format() == QImage::Format_RGB888) {
        QImage bitmap = NewWorkingBitmap(picture.width(), picture.height());
        for (int y = 0; y < picture.height(); ++y)
            RgbToBgr(picture.constScanLine(y), bitmap.scanLine(y), picture.width());
        return bitmap;
    }
    QImage bitmap = picture.convertToFormat(QImage::Format_BGR888);
    if (bitmap.isNull() && !picture.isNull())
        ThrowOutOfMemory(picture.width(), picture.height());
    return bitmap;
}

} // namespace pictaron
