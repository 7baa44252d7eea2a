// Small pictures and pixel access shared by the effect tests.
#pragma once

#include "effects/pixels.h"

#include "effects/bitmap.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <ostream>

class QGuiApplication;

namespace pictaron {
// Readable failures: "(r, g, b)".
inline void PrintTo(const RGBTriple& p, std::ostream* os)
{
    *os << '(' << int(p.red) << ", " << int(p.green) << ", " << int(p.blue) << ')';
}
} // namespace pictaron

namespace pictaron::effecttests {

// A working bitmap of one colour.
Bitmap Filled(int width, int height, RGBTriple colour);
// A working bitmap of pseudo-random pixels, the same for the same seed.
Bitmap Noise(int width, int height, unsigned seed = 1);
// Left columns one colour, the rest another: a vertical edge.
Bitmap VerticalEdge(int width, int height, int firstRightColumn, RGBTriple left, RGBTriple right);

RGBTriple Pixel(const Bitmap& picture, int x, int y);
inline RGBTriple Grey(int v) { return RGBTriple{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)}; }

// A QGuiApplication for tests that draw text, or null when one already exists.
std::unique_ptr<QGuiApplication> MakeGuiApplication();

// PICTARON_THREADS set to a value while it lives, then as it was before.
class ThreadsVariable {
public:
    explicit ThreadsVariable(const QByteArray& value);
    ~ThreadsVariable();
    ThreadsVariable(const ThreadsVariable&) = delete;
    ThreadsVariable& operator=(const ThreadsVariable&) = delete;

private:
    bool wasSet_;
    QByteArray before_;
};

// The path of a picture in the shared test pictures, or empty when absent.
QString SharedPicture(const QString& name);

} // namespace pictaron::effecttests
