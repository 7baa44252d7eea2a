// Reading back the PNG, WebP and AVIF results with independent decoders, and
// the pictures and measures their tests share.
#pragma once

#include "app/progress.h"

#include <QByteArray>
#include "effects/bitmap.h"
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <vector>

namespace pictaron::encodercheck {

// A picture as Pillow (/usr/bin/python3) decodes it: what the file is, and
// its pixels in the mode asked for (or its own mode): "RGB", "RGBA", or for
// a palette picture its indices.
struct PillowPicture {
    QString problem;  // empty when Pillow read the file
    QString format;   // "PNG"
    QString mode;     // the file's own mode: "RGB", "RGBA", "P"
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<std::array<int, 3>> palette;  // for "P"
    QJsonValue transparency;                   // the file's transparency, as Pillow reports it
    QByteArray pixels;
};
PillowPicture ReadWithPillow(const QString& path, const QString& convertTo = {});

// The chunks of a PNG file in order, with the fields the tests look at.
struct PngChunks {
    QString problem;  // empty when the signature and every chunk's CRC are right
    QStringList names;
    int bitDepth = 0;
    int colourType = -1;
    int interlace = -1;
    int paletteEntries = 0;  // PLTE length / 3
    QByteArray palette;      // PLTE data
    QByteArray transparency; // tRNS data
};
PngChunks ReadPngChunks(const QByteArray& bytes);

// pngcheck -v: its output when it finds no error, else a failure.
QString PngCheck(const QString& path);

// dwebp's decoding of a WebP file as RGBA bytes, rows packed.
QByteArray DecodeWebp(const QString& path, int& width, int& height);
// avifdec's decoding of an AVIF file as an 8-bit PNG, read by Pillow as RGBA.
PillowPicture DecodeAvif(const QString& path);
// avifdec --info.
QString AvifInfo(const QString& path);

// Writes bytes to a file in the folder; returns its path.
QString WriteFile(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes);

// The picture's pixels as packed bytes: R, G, B (a working bitmap) or R, G,
// B, A (a working bitmap with an alpha plane; all 255 without one).
QByteArray RgbBytes(const Bitmap& working);
QByteArray RgbaBytes(const Bitmap& working, const Bitmap& alpha = {});
// Only the alpha bytes of packed RGBA.
QByteArray AlphaOf(const QByteArray& rgba);
// Packed RGB of packed RGBA.
QByteArray ColoursOf(const QByteArray& rgba);

// Packed RGBA as a Format_RGBA8888 picture.
Bitmap RgbaPicture(const QByteArray& rgba, int width, int height);
// The largest difference of two equally long byte strings.
int LargestDifference(const QByteArray& a, const QByteArray& b);

// Peak signal-to-noise ratio in dB of two equally long byte strings (every
// byte a sample); infinity when they are equal.
double Psnr(const QByteArray& a, const QByteArray& b);

// A drawn picture with transparency: colours that vary everywhere (also
// under fully transparent pixels), and an alpha plane holding a ramp from
// transparent to opaque, a fully transparent block and an opaque block.
struct AlphaPicture {
    Bitmap working;  // Format_BGR888
    Bitmap alpha;    // Format_Grayscale8
};
AlphaPicture DrawAlphaPicture(int width, int height);

// A picture of the shared test pictures (../shared/testdata) as a working
// bitmap; null when it is missing, and the test then skips.
Bitmap SharedWorkingBitmap(const QString& name);

// Remembers every caption the bar shows, and can cancel once the bar shows
// a caption at some percentage.
class Recorder : public ProgressView {
public:
    void ProgressChanged(const std::string& text, int percent) override;

    QStringList captions;
    std::vector<int> percents;
    CancelFlag* cancel = nullptr;
    QString cancelAt;
    int cancelPercent = 0;
};

} // namespace pictaron::encodercheck
