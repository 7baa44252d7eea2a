// Between the engine's bitmaps and the toolkit's pictures, at the edge of the
// window (and of the caption's text drawing).
//
// The formats have the same names and layouts on both sides, so a bitmap is
// shown through a QImage over its own rows and a QImage of one of those
// formats becomes a bitmap over the QImage's rows; neither copies a pixel.
// Each side keeps the other's pixels alive for as long as it needs them.
#pragma once

#include "effects/bitmap.h"

#include <QImage>

namespace pictaron {

// A read-only QImage over the bitmap's rows (painting on it copies them).
QImage ImageView(const Bitmap& bitmap);
// A QImage that draws straight into the bitmap's rows, which it makes the
// bitmap's own first; valid while the bitmap lives and is not copied.
QImage PaintableView(Bitmap& bitmap);
// The picture as a bitmap: shared when its format is one of the engine's,
// else converted to a working bitmap (Format_BGR888). Null stays null.
Bitmap ToBitmap(const QImage& picture);

} // namespace pictaron
