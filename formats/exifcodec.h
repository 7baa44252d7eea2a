// libexif's side of the EXIF blocks the loader reads (sourcetags.h) and the
// results rewrite (metadatawrite.h), in a module of its own, so that only a
// picture with an EXIF block, or a result that must write one, loads it.
// Every block is the TIFF structure, without "Exif\0\0".
#pragma once

#include <QByteArray>
#include <QSize>

namespace pictaron {

// The Orientation of the block's first directory, 1..8; 1 when it holds none
// or no valid value.
int ReadExifOrientation(const QByteArray& exif);

// A block of the first directory's Artist and Copyright, each left out when
// empty; empty when the block cannot be made.
QByteArray ExifOfTextFields(const QByteArray& artist, const QByteArray& copyright);

// The block as a result keeps it (KeptMetadata::exif): with copyrightOnly
// the Artist and Copyright alone, else every field but the thumbnail, the
// Orientation set to 1 and the pixel dimensions, where present, set to
// resultSize. Empty when nothing is left or the block cannot be read.
QByteArray RewriteExif(const QByteArray& exif, bool copyrightOnly, QSize resultSize);

} // namespace pictaron

// The module's entry points.
extern "C" {
using PictaronReadExifOrientationFn = int (*)(const QByteArray* exif);
using PictaronExifOfTextFieldsFn = void (*)(const QByteArray* artist, const QByteArray* copyright, QByteArray* exif);
using PictaronRewriteExifFn = void (*)(const QByteArray* exif, bool copyrightOnly, const QSize* resultSize,
                                       QByteArray* kept);
}
