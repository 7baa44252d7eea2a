// Reading picture files.
//
// Every picture the program reads, the original and the second picture of a
// blend, comes through here. Only a regular file is opened, and only one of a
// size a picture within the limits can have (see components/regularfile.h).
// Its format is decided from its own first bytes against the formats the
// program offers (formats/pictureformat.h); the decoder of that format alone
// reads it. The declared size is checked against a pixel limit before any
// pixel is decoded, so a hostile header is refused at once. Then only the
// first frame or page is decoded and turned into a working bitmap: CMYK
// becomes RGB, transparency is flattened onto white (and, when asked, handed
// out as an alpha plane beside it). A file damaged or cut
// short (a truncated JPEG, say) still yields what could be read, with a
// warning. Binary PPM and JPEG in colour or grey, the bulk of batch work, are
// decoded directly (the same checks apply); everything else goes through the
// general imaging library.
#pragma once

#include "formats/sourcetags.h"

#include "components/plaintext.h"
#include "effects/bitmap.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pictaron {

class DecodeGuard;

class PictureLoader {
public:
    // The options say what becomes of a picture's orientation and colour
    // profile (see formats/sourcetags.h); by default it is turned upright
    // and converted to sRGB.
    explicit PictureLoader(LoadOptions options = {}) : options_(options) {}
    void SetOptions(LoadOptions options) { options_ = options; }
    LoadOptions Options() const { return options_; }

    // Pictures above this many pixels are refused before they are decoded.
    static constexpr std::int64_t kMaxPixels = 100'000'000;
    // The most bytes read for a picture, from a file or as bytes (standard
    // input): a picture at the pixel limit stored without
    // compression at 16 bits for each of four channels, and a megabyte for
    // its headers. A larger stream cannot hold a picture that would be opened.
    static constexpr std::int64_t kMaxBytes = kMaxPixels * 8 + (1 << 20);

    // The picture as a working bitmap. Throws PictaronError with a message that
    // names the file and the reason; the caller's picture stays as it was.
    // When warnings is given, a picture read only in part adds one line to it
    // that names the file, and so does a tag that had to be ignored (a damaged
    // colour profile). When alpha is given it receives the picture's
    // transparency as a Format_Grayscale8 plane of the picture's size (0
    // transparent .. 255 opaque), or a null picture when every pixel is opaque.
    Bitmap Load(const std::string& path, Texts* warnings = nullptr, Bitmap* alpha = nullptr) const;

    // For a picture that one run converts and then drops, as the command line
    // does: a binary PPM is used in place, not decoded, as a Format_RGB888
    // picture over the mapped file, which stays open until the last copy of
    // the picture goes; a JPEG encoder can read it from there when nothing
    // changes it. Every format is decoded from the mapped file. Shortening the
    // file meanwhile raises SIGBUS, so the caller handles that signal.
    // Anything else comes as from Load.
    Bitmap LoadForRun(const std::string& path, Texts* warnings = nullptr, Bitmap* alpha = nullptr) const;

    // A picture held in memory, decoded as Load decodes a file's bytes; name
    // stands for the file in messages, and its extension tells the formats
    // without a signature (TGA, PCD) as a file name would.
    Bitmap LoadFromMemory(std::string_view bytes, const std::string& name, Texts* warnings = nullptr,
                          Bitmap* alpha = nullptr) const;

private:
    Bitmap Read(const std::string& path, bool forRun, Texts* warnings, Bitmap* alpha) const;
    // The decoder of the format the bytes' signature names, and no other;
    // then the picture's tags as the options say.
    Bitmap Decode(std::string_view bytes, std::string_view name, const DecodeGuard& error, Bitmap* alpha) const;

    LoadOptions options_;
};

} // namespace pictaron
