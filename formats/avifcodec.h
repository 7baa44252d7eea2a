// libavif's side of the AVIF result, in a module of its own: libavif and the
// AV1 codecs it links (encoders and decoders, a dozen libraries) cost a
// command line a few milliseconds to load, so only a run that makes an AVIF
// loads them (see avifresult.h for the step itself).
#pragma once

#include "effects/bitmap.h"
#include "formats/directdecode.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pictaron {

struct AvifEncoding {
    int quantizer = 0;   // 0 (lossless) .. 63, for colour and alpha alike
    int speed = 6;       // 0 .. 10
    bool yuv444 = false; // else 4:2:0
    bool lossless = false;
    std::string icc;     // embedded when not empty
    std::string exif;    // the TIFF structure, without "Exif\0\0"; embedded when not empty
    std::string xmp;     // embedded when not empty
};

// The picture (Format_BGR888), with rgba (Format_RGBA8888 of the same size,
// straight alpha) instead when it keeps transparency, encoded on one thread:
// the AV1 encoder's tiles and rows split over more threads give other bytes,
// and a result must not depend on the machine. Throws PictaronError with
// libavif's reason.
std::string EncodeAvif(const Bitmap& bitmap, const Bitmap& rgba, const AvifEncoding& encoding);

// An AVIF file decoded on up to threads threads: Format_BGR888, or
// Format_RGBA8888 (straight alpha) when it has an alpha plane. Throws
// PictaronError with libavif's reason.
Bitmap DecodeAvif(std::string_view bytes, int threads);

// A picture opened from an AVIF file, with what the file says of it.
struct AvifSource {
    // Format_BGR888, or Format_RGBA8888 (straight alpha) with an alpha plane;
    // as stored, before the turn and the mirror.
    Bitmap pixels;
    std::string icc;
    std::string exif;  // the TIFF structure, without "Exif\0\0" or libavif's offset; empty when absent
    std::string xmp;
    int quarterTurns = 0;  // anticlockwise, made before the mirror
    int mirror = -1;       // -1 none, 0 top and bottom swap, 1 left and right swap
};

// The picture of an AVIF source on one thread. The guard sees the declared
// size before any pixel is decoded, and the AV1 decoder is held to
// maxPixels whatever the AV1 stream declares; failures go through the guard.
AvifSource ReadAvifSource(std::string_view bytes, std::int64_t maxPixels, const DecodeGuard& guard);

} // namespace pictaron

// The module's entry points.
extern "C" {
using PictaronEncodeAvifFn = void (*)(const pictaron::Bitmap* bitmap, const pictaron::Bitmap* rgba,
                                      const pictaron::AvifEncoding* encoding, std::string* bytes);
using PictaronDecodeAvifFn = void (*)(const std::string_view* bytes, int threads, pictaron::Bitmap* decoded);
using PictaronReadAvifSourceFn = void (*)(const std::string_view* bytes, std::int64_t maxPixels,
                                          const pictaron::DecodeGuard* guard, pictaron::AvifSource* source);
}
