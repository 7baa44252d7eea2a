// The transparency a result keeps, beside its working bitmap.
//
// For the formats that keep a source's alpha channel (KeepsAlpha), the run
// hands an encoder the finished picture's straight colours as a working
// bitmap and its alpha plane: a Format_Grayscale8 picture of the same size,
// 0 transparent to 255 opaque, or a null Bitmap for an opaque picture. These
// are the helpers the PNG, WebP and AVIF steps share.
#pragma once

#include "effects/bitmap.h"

namespace pictaron {

// The plane an encoder writes: the one given when some pixel of it is not
// fully opaque, else null (an opaque picture is written without alpha).
// PictaronError unless the plane is null or a Format_Grayscale8 picture of
// the working bitmap's size.
Bitmap TransparencyToWrite(const Bitmap& working, const Bitmap& alpha);

// The colours and the plane interleaved as Format_RGBA8888 (straight, not
// premultiplied): red, green, blue, alpha bytes in that order on every
// machine.
Bitmap InterleaveAlpha(const Bitmap& working, const Bitmap& alpha);

// What a browser shows of the picture on a white page, as a working bitmap:
// FlattenOntoWhite of effects/alpha.h, and the working bitmap itself
// (shared) when the plane is null.
Bitmap ShownOnWhite(const Bitmap& working, const Bitmap& alpha);
// The same for an interleaved Format_RGBA8888 picture (a decoded file).
Bitmap RgbaShownOnWhite(const Bitmap& rgba);

// A decoded Format_RGBA8888 picture as the loader hands it on: flattened
// onto white, with its plane beside it, which is null when every pixel is
// opaque. The rows from rowsRead on were never decoded: grey and opaque.
struct OpenedPicture {
    Bitmap picture;
    Bitmap alpha;
};
OpenedPicture OpenRgba(const Bitmap& rgba, int rowsRead);

} // namespace pictaron
