// Pictures and tools shared by the format tests.
#pragma once

#include "effects/bitmap.h"
#include "formats/pictureloader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pictaron::testpictures {

// A working bitmap with smooth gradients, sharp edges and noise, so that an
// encoder meets every kind of block. Deterministic for a given seed.
Bitmap PatternPicture(int width, int height, unsigned seed = 1);

// Binary PPM (P6) of a working bitmap.
QByteArray ToPpm(const Bitmap& picture);

// Runs a program, feeding stdinBytes; returns its stdout. Fails the test (and
// returns empty) when it cannot start or exits non-zero.
QByteArray RunTool(const QString& program, const QStringList& arguments, const QByteArray& stdinBytes = {});

// The loader's calls in the tests' own strings.
Bitmap Load(const PictureLoader& loader, const QString& path, QStringList* warnings = nullptr, Bitmap* alpha = nullptr);
Bitmap LoadForRun(const PictureLoader& loader, const QString& path, QStringList* warnings = nullptr,
                  Bitmap* alpha = nullptr);
Bitmap LoadFromMemory(const PictureLoader& loader, const QByteArray& bytes, const QString& name,
                      QStringList* warnings = nullptr, Bitmap* alpha = nullptr);

// The path of a picture in the shared test pictures, or empty when absent.
QString SharedTestPicture(const QString& name);

} // namespace pictaron::testpictures
