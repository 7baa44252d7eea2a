#include "colour/spectrum.h"

#include "colour/pickerpalette.h"

#include <array>
#include <climits>

namespace pictaron {

namespace {

constexpr RGBTriple kBlack{0, 0, 0};
constexpr RGBTriple kWhite{255, 255, 255};

RGBTriple Rgb(int red, int green, int blue)
{
    return RGBTriple{std::uint8_t(blue), std::uint8_t(green), std::uint8_t(red)};
}

// The spectrum's pictures belong to the window: QImage rows in the layout of a
// working bitmap.
QImage NewPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_BGR888);
    if (picture.isNull())
        ThrowOutOfMemory(width, height);
    return picture;
}

RGBTriple* Row(QImage& picture, int y)
{
    return reinterpret_cast<RGBTriple*>(picture.scanLine(y));
}

const RGBTriple* Row(const QImage& picture, int y)
{
    return reinterpret_cast<const RGBTriple*>(picture.constScanLine(y));
}

int Step(int start, int end, int i, int n)
{
    return start - ((start - end) * i) / n; // C++ division truncates toward zero, as div does
}

} // namespace

void GradientFill(RGBTriple* colours, int first, int last, RGBTriple start, RGBTriple end)
{
    const int n = std::max(1, last - first);
    for (int i = first; i <= last; ++i) {
        const int k = i - first;
        colours[i] = Rgb(Step(start.red, end.red, k, n), Step(start.green, end.green, k, n),
                         Step(start.blue, end.blue, k, n));
    }
}

RGBTriple PixelAt(const QImage& bitmap, int x, int y)
{
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (x >= bitmap.width() || y >= bitmap.height())
        return kBlack;
    return Row(bitmap, y)[x];
}

QImage DrawSpectrum()
{
    constexpr int W = kSpectrumWidth;
    constexpr int H = kSpectrumBandHeight;
    const std::array<RGBTriple, 6> anchors = {Rgb(255, 0, 0), Rgb(255, 255, 0), Rgb(0, 255, 0),
                                              Rgb(0, 255, 255), Rgb(0, 0, 255), Rgb(128, 0, 128)};
    QImage spectrum = NewPicture(W, kSpectrumDrawnHeight);
    for (int k = 0; k < 6; ++k) {
        std::array<RGBTriple, H + 1> column;
        GradientFill(column.data(), 0, H, anchors[k], anchors[(k + 1) % 6]);
        for (int j = 0; j < H; ++j) {
            const RGBTriple hue = column[j];
            // Entries 249 to 255 are scratch space: the gradient from the hue
            // to white whose entry 254 is where the right half of the row ends.
            std::array<RGBTriple, 256> row{};
            GradientFill(row.data(), 0, 6, kBlack, hue);
            GradientFill(row.data(), 1, (W - 1) / 2, row[1], hue);
            GradientFill(row.data(), 249, 255, hue, kWhite);
            GradientFill(row.data(), (W - 1) / 2, W - 2, hue, row[254]);
            row[W - 1] = kWhite;
            std::copy_n(row.begin(), W, Row(spectrum, H * k + j));
        }
    }
    return spectrum;
}

QImage SpectrumPicture()
{
    return DrawSpectrum().copy(0, 0, kSpectrumWidth, kSpectrumPictureHeight);
}

QImage GreyStrip()
{
    std::array<RGBTriple, kSpectrumWidth> ramp;
    GradientFill(ramp.data(), 0, kSpectrumWidth - 1, kBlack, kWhite);
    QImage strip = NewPicture(kSpectrumWidth, kGreyStripHeight);
    for (int y = 0; y < kGreyStripHeight; ++y)
        std::copy(ramp.begin(), ramp.end(), Row(strip, y));
    return strip;
}

QPoint LocateInSpectrum(const QImage& picture, TColor colour, QSize controlSize)
{
    const TColor c = ResolveSystemColour(colour);
    const int width = controlSize.width();
    const int height = controlSize.height();
    if (c == clWhite)
        return QPoint(width - 1, height / 2);
    if (c == clBlack)
        return QPoint(0, height / 2);

    QPoint nearest(width - 1, height - 2);
    int best = INT_MAX;
    for (int x = width - 1; x >= 0; --x) {
        for (int y = height - 2; y >= 0; --y) {
            const TColor p = TripleToColor(PixelAt(picture, x, y));
            if (p == c)
                return QPoint(x, y);
            const int distance = PickerColourDistance(c, p, best);
            if (distance < best) {
                best = distance;
                nearest = QPoint(x, y);
            }
        }
    }
    return nearest;
}

} // namespace pictaron
