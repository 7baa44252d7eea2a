// The result view's zoom: 10% to 1000% of the last result, drawn from the
// unscaled copy by nearest neighbour (rows and columns repeated or dropped),
// so a zoomed pixel keeps the colour of the result's pixel exactly.
#pragma once

#include "effects/bitmap.h"
#include <QString>
#include <QStringList>

namespace pictaron {

// "10%" … "90%", "100%" … "1000%".
QStringList ZoomItems();
inline const QString kFullSizeZoom = QStringLiteral("100%");

// "250%" → 2.5 (the text without "%", × 0.01, held as a single); 1 when the
// text is not a percentage.
float ZoomScaleFromText(const QString& text);

// The picture at Round(width × scale) by Round(height × scale), halves to even.
// A PictaronError saying there is not enough memory when that needs more than
// kMaxBitmapBytes (effects/bitmapmemory.h) or cannot be allocated.
Bitmap ZoomPicture(const Bitmap& picture, float scale);

// "250%" for 2.5: the zoom list's text of a scale.
QString ZoomText(float scale);

} // namespace pictaron
