// The general picture decoder for every format without a direct reader (GIF,
// PNG, TIFF, BMP, PCX, TGA, PCD …), kept in a module that is loaded on first
// use so that runs which never need it never pay for its libraries.
#pragma once

#include "formats/directdecode.h"

#include <QByteArray>
#include <QImage>

namespace pictaron {

// Pings the bytes, refuses formats outside the program's list and sizes the
// guard refuses, then decodes the first frame or page: CMYK becomes RGB,
// transparency is flattened onto white, a decoder warning still yields the
// picture. formatByExtension names the format for files without a signature
// ("TGA", "PCD") or is empty. Failures go through the guard.
QImage DecodeWithMagick(const QByteArray& bytes, const char* formatByExtension, const DecodeGuard& guard);

} // namespace pictaron

// The module's one entry point.
extern "C" {
using PictaronDecodeWithMagickFn = void (*)(const QByteArray* bytes, const char* formatByExtension,
                                            const pictaron::DecodeGuard* guard, QImage* picture);
}
