// The conversion run: original picture in, encoded result out.
//
// A run copies the original into a fresh 24-bit working bitmap, applies each
// enabled change in one fixed order (crop, flip, mirror, rotate, resize, blend,
// contrast, brightness, sharpen, blur, buttonize, caption), and hands the
// result to the encoder of the chosen format. The working bitmap belongs to the
// run; nothing of the caller's changes unless the run succeeds.
//
// Threading: runs on a worker thread of the window or on the command line's
// thread; never two at once on the same RunContext.
#pragma once

#include "app/conversionsettings.h"
#include "app/runcontext.h"
#include "components/plaintext.h"
#include "components/sizes.h"

#include "effects/bitmap.h"

namespace pictaron {

// The original is taken by value: the window keeps its own picture (the first
// step that changes pixels then works on a copy), while the command line can
// move its picture in and spare a full copy. alpha is the original's
// transparency as the loader gives it (null for an opaque picture); a result
// whose format keeps alpha (KeepsAlpha) carries it through every step, the
// others are made from the flattened picture alone. Throws PictaronError with
// the user's message when a step fails, and RunCancelled when the run ends
// silently.
EncodedResult RunConversion(Bitmap original, const ConversionSettings& settings, RunContext& context,
                            Bitmap alpha = Bitmap());

// The two halves of a run, for a caller that encodes one changed picture in
// several formats (the command line's variants): every change, then the
// encoder. A changed picture serves every format whose KeepsAlpha is that of
// the settings it was made with.
struct ChangedPicture {
    Bitmap picture;
    Bitmap alpha;  // null unless the format keeps transparency and there is some
    SourceTags source;
    Texts warnings;  // steps that failed without ending the run
};
ChangedPicture ApplyChanges(Bitmap original, const ConversionSettings& settings, RunContext& context,
                            Bitmap alpha = Bitmap());
EncodedResult EncodeChanged(const ChangedPicture& changed, const ConversionSettings& settings, RunContext& context);

// The size of the picture the resize step gets: the original's, or what the
// crop and the rotation leave of it.
Size SizeBeforeResize(const Bitmap& original, const ConversionSettings& settings, RunContext& context);

} // namespace pictaron
