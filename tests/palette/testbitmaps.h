// Small pictures and palettes for the palette tests.
#pragma once

#include "palette/palette.h"

#include "effects/bitmap.h"
#include <QString>

#include <initializer_list>
#include <vector>

namespace pictaron::testbitmaps {

struct Rgb {
    int red, green, blue;
};

// A working bitmap from rows of colours, top row first.
Bitmap PictureOf(std::initializer_list<std::initializer_list<Rgb>> rows);
// A working bitmap of one colour.
Bitmap Uniform(int width, int height, Rgb colour);
// Deterministic noise over the whole colour cube.
Bitmap Noise(int width, int height, unsigned seed);

Palette MakePalette(std::initializer_list<Rgb> colours);

// The indices of an 8-bit picture, row by row.
std::vector<int> Indices(const Bitmap& indexed);

// The path of a picture in the shared test pictures, or empty when absent.
QString SharedTestPicture(const QString& name);

} // namespace pictaron::testbitmaps
