// Which decoder may read a picture, decided from the file's own first bytes
// before any library sees them.
//
// The general imaging library, left to guess, reads PostScript, PDF, SVG, its
// own drawing scripts and more, some of them by starting other programs, and
// it guesses from the content whatever the name says. So the guess is made
// here, against the formats the program offers, and the library is then told
// which one coder to use. Formats with a signature are known by it alone;
// only TGA, which has none, goes by the file's extension, and only when its
// header is a plausible TGA header. Text, markup and page descriptions are
// refused whatever the name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace pictaron {

enum class PictureFormat { Jpeg, Png, Gif, Tiff, Bmp, Pcx, Dcx, Pnm, Webp, Avif, Pcd, Tga };

struct FormatVerdict {
    bool known = false;
    PictureFormat format = PictureFormat::Jpeg;
    std::string refusal;  // why not, a sentence, when !known
};

// name is the file's name (or what stands for it), for its extension.
FormatVerdict DetectPictureFormat(std::string_view bytes, std::string_view name);

// The width and height the header declares, for the formats that keep them
// at a fixed place (PNG, GIF, BMP, PCX, TGA, WebP), so that a size beyond the limit
// is refused, and named, before the library reads anything; empty for others.
std::optional<std::pair<std::int64_t, std::int64_t>> DeclaredSize(PictureFormat format, std::string_view bytes);

// The imaging library's coder for the format: "PNG", "BMP" …
const char* LibraryCoder(PictureFormat format);

// Whether the pixels of the picture can hold transparency at all. A BMP whose
// newer header kind (V3 to V5) names an alpha mask has alpha only when its
// pixels have the room, at 16 or 32 bits; the library takes the mask alone as
// the sign, and leaves the alpha of 24-bit pixels unset.
bool PixelsCanHoldAlpha(PictureFormat format, std::string_view bytes);

} // namespace pictaron
