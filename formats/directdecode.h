// Direct decoders for the two formats that dominate scripted and batch work:
// binary PPM (what other tools hand over) and JPEG (what cameras write).
// Going straight from the file's bytes into a working bitmap skips the general
// imaging library's wider sample format and a copy of every pixel.
#pragma once

#include "components/sizes.h"
#include "effects/bitmap.h"
#include "formats/sourcetags.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pictaron {

// How a decoder refuses a file (CheckSize and Fail throw) or tells that it
// could read it only in part.
class DecodeGuard {
public:
    virtual ~DecodeGuard() = default;
    // Called with the declared size before any pixel is decoded.
    virtual void CheckSize(Size size) const = 0;
    [[noreturn]] virtual void Fail(const std::string& reason) const = 0;
    // The file is damaged or ends early, and the picture holds only what
    // could be read. Never throws: decoders call it from inside the
    // libraries' own callbacks.
    virtual void WarnPartlyRead() const noexcept = 0;
};

// Where the pixels of an 8-bit binary PPM ("P6", maxval 255) lie: rows of
// 3 · width bytes in RGB order from offset on, without padding.
struct PpmPixels {
    Size size;
    std::size_t offset = 0;
};
// Empty when the bytes are not such a PPM (or a variant this reader leaves to
// the general library).
std::optional<PpmPixels> FindPpmPixels(std::string_view bytes, const DecodeGuard& guard);

// An 8-bit binary PPM as a working bitmap; empty as FindPpmPixels.
std::optional<Bitmap> DecodePpm(std::string_view bytes, const DecodeGuard& guard);

// A JPEG decoded smaller by libjpeg-turbo's own DCT scaling (by 1/8 .. 8/8),
// for a picture that is to be made smaller anyway: at the smallest scale at
// which it is still at least minimumWidth wide, upright as its EXIF
// Orientation says when upright is set. A minimumWidth of 0 decodes the
// picture at its full size, exactly as without this.
struct JpegShrink {
    int minimumWidth = 0;
    bool upright = true;
};

// A JPEG in colour or greyscale. Empty when the bytes are not a JPEG, or are
// one in CMYK, which the general library converts. A stream that ends early
// or is damaged still gives its picture, the missing part grey, and a warning
// through the guard. When tags is given it receives the ICC profile (APP2,
// over as many markers as it takes), the EXIF block and the XMP packet
// (APP1), and a shrunk picture's stored size. The size limit of the guard
// applies to the full size.
std::optional<Bitmap> DecodeJpeg(std::string_view bytes, const DecodeGuard& guard, RawTags* tags = nullptr,
                                 JpegShrink shrink = {});

} // namespace pictaron
