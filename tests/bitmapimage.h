// Engine bitmaps beside the toolkit's pictures in tests: the toolkit's own
// transforms, conversions and decoders serve as independent references.
#pragma once

#include "components/qimagebridge.h"

#include <QColor>

namespace pictaron {

// The same pixels, the picture taken as the engine would take it.
inline bool operator==(const Bitmap& bitmap, const QImage& picture)
{
    return bitmap == ToBitmap(picture);
}

// A working bitmap of one colour.
inline Bitmap FilledBitmap(int width, int height, const QColor& colour)
{
    QImage picture(width, height, QImage::Format_BGR888);
    picture.fill(colour);
    return ToBitmap(picture);
}

} // namespace pictaron
