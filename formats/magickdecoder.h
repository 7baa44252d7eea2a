// The general picture decoder for every format without a direct reader (GIF,
// PNG, TIFF, BMP, PCX, TGA, PCD …), kept in a module that is loaded on first
// use so that runs which never need it never pay for its libraries.
#pragma once

#include "formats/directdecode.h"

#include "effects/bitmap.h"

#include <string_view>

namespace pictaron {

// What the loader has decided about the bytes before the library sees them.
struct MagickRequest {
    // The library's coder for the format found from the bytes' signature
    // (see pictureformat.h); the library is told to use it and no other.
    const char* coder = "";
    // False when the picture's pixels have no room for alpha, whatever the
    // library makes of the header: the picture is opaque.
    bool pixelsCanHoldAlpha = true;
    // CMYK pixels with a CMYK profile are converted from it to sRGB (else
    // the library's own plain conversion to RGB).
    bool convertCmyk = true;
};

// Pings the bytes with the named coder and lets the guard check the declared
// size, then decodes the first frame or page: CMYK becomes RGB, transparency
// is flattened onto white. A picture the coder could read only in part comes
// with a warning through the guard; failures go through the guard too. The
// library's own limits match the loader's (pixels, memory, no disk cache), so
// no header can make it take more. When tags is given it receives the
// picture's ICC profile, EXIF block, XMP packet and the orientation of a
// TIFF's own tag, as the coder read them.
Bitmap DecodeWithMagick(std::string_view bytes, const MagickRequest& request, const DecodeGuard& guard,
                        RawTags* tags = nullptr);

} // namespace pictaron

// The module's one entry point.
extern "C" {
using PictaronDecodeWithMagickFn = void (*)(const std::string_view* bytes, const pictaron::MagickRequest* request,
                                            const pictaron::DecodeGuard* guard, pictaron::Bitmap* picture,
                                            pictaron::RawTags* tags);
}
