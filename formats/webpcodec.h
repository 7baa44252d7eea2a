// libwebp's side of the WebP result, in a module of its own, so that a run
// that writes no WebP never loads libwebp and its muxer (see webpresult.h for
// the step itself).
#pragma once

#include "effects/bitmap.h"
#include "formats/codecprogress.h"

#include <string>
#include <string_view>

namespace pictaron {

struct WebpEncoding {
    bool lossless = false;  // lossless keeps the colours under transparent pixels too
    float quality = 75;     // 0..100
    int method = 4;         // 0..6: slower is smaller
    bool threads = false;   // the encoder may use a thread of its own
};

// The picture (Format_BGR888), with rgba (Format_RGBA8888 of the same size,
// straight alpha) instead when it keeps transparency, as a plain WebP file.
// Progress comes from the encoder's hook; the cancel flag stops it at its
// next report. Throws PictaronError "The WebP file could not be written:
// <reason>.", RunCancelled when cancelled.
std::string EncodeWebp(const Bitmap& bitmap, const Bitmap& rgba, const WebpEncoding& encoding,
                      CodecProgress& progress);

// The chunks of the extended kind of WebP, each written when not empty: the
// colour profile (ICCP) and the metadata (EXIF, the TIFF structure; XMP).
struct WebpChunks {
    std::string icc;
    std::string exif;
    std::string xmp;
};

// The file with the chunks added by the muxer, which makes it the extended
// kind of WebP with their flags set; the bytes as they are when there are
// none. Throws PictaronError when the muxer fails.
std::string WithWebpChunks(std::string_view bytes, const WebpChunks& chunks);

// A WebP file decoded: Format_RGBA8888 (straight alpha) when transparent is
// set, else Format_BGR888. Throws PictaronError "The WebP file just written
// cannot be read." when it cannot be decoded.
Bitmap DecodeWebp(std::string_view bytes, bool transparent);

} // namespace pictaron

// The module's entry points.
extern "C" {
using PictaronEncodeWebpFn = void (*)(const pictaron::Bitmap* bitmap, const pictaron::Bitmap* rgba,
                                      const pictaron::WebpEncoding* encoding, pictaron::CodecProgress* progress,
                                      std::string* bytes);
using PictaronAddWebpChunksFn = void (*)(const std::string_view* bytes, const pictaron::WebpChunks* chunks,
                                         std::string* withChunks);
using PictaronDecodeWebpFn = void (*)(const std::string_view* bytes, bool transparent, pictaron::Bitmap* decoded);
}
