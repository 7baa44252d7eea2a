// The GIF encoder step of a run, and the GIF file of a result.
//
// ReduceToPalette turns the finished working bitmap into an 8-bit picture:
// - with a chosen palette (web-safe, or read from a palette file) the picture
//   is first mapped or dithered to it, which limits it to that palette's
//   colours;
// - the octree then picks at most N colours of the picture (the optimised
//   palette), and with a chosen palette each of them is snapped to its nearest
//   colour there, so the final palette may repeat a colour;
// - the picture is mapped or dithered to that final palette.
// Flat or dithered applies to both passes alike. ConvertForGif and the indexed
// PNG (formats/pngresult.h) both take their pixels from it, so the two files
// hold the same picture. The GIF file is built from the 8-bit picture by
// BuildGifImage; the run keeps its bytes for the report and the command line,
// and Save builds it again from the picture shown, which gives the same bytes,
// so the saved file is exactly what was measured.
#pragma once

#include "app/conversionsettings.h"
#include "app/runcontext.h"
#include "formats/gifimage.h"
#include "palette/palette.h"

#include "effects/bitmap.h"

#include <memory>
#include <optional>
#include <string>

namespace pictaron {

// The 8-bit picture of the palette passes and the final palette, which is
// its colour table: exactly max(1, min(maxColours, 256)) entries, some
// perhaps unused or repeated.
struct IndexedPicture {
    Bitmap picture;  // Format_Indexed8
    Palette palette;
};

// The palette passes of the GIF step, with their statuses and progress; the
// bar is left empty and captionless however they end. Throws PictaronError
// when a palette file cannot be used, RunCancelled when cancelled during a
// pass.
IndexedPicture ReduceToPalette(const Bitmap& working, const ConversionSettings& settings, RunContext& context);

// The run's GIF step: the picture is the indexed result, colours its palette
// entries, bytes its GIF file. The colour count is taken as 1..256 (an
// empty colour box gives one colour). Throws PictaronError when a palette
// file cannot be used or the GIF cannot be built (for example "Color table
// overflow"), RunCancelled when cancelled during a pass.
EncodedResult ConvertForGif(const Bitmap& working, const ConversionSettings& settings, RunContext& context);

// The GIF of an 8-bit picture: one frame, its palette as the global colour
// table, and, with a transparent colour, a graphic control extension marking
// it (the colour is appended to the table when the palette lacks it).
std::unique_ptr<TGIFImage> BuildGifImage(const Bitmap& picture, std::optional<TColor> transparentColour);

// The file's bytes as BuildGifImage makes them: what the run measures and
// Save writes.
std::string EncodeGif(const Bitmap& picture, std::optional<TColor> transparentColour);

} // namespace pictaron
