// The WebP encoder step of a run, on libwebp's advanced API.
//
// Quality 0..100 (webpQuality), lossless or lossy (webpLossless), and the
// encoder's method 0..6 (webpEffort: slower is smaller), as cwebp -q, -lossless
// and -m take them. A picture with transparency (an alpha plane with a pixel
// that is not fully opaque, see formats/alphaplane.h) keeps it: losslessly
// in either kind. A lossless file keeps the colours under fully transparent
// pixels too, so it decodes to exactly the finished picture. libwebp itself
// is loaded only by the first WebP (webpcodec.h).
#pragma once

#include "app/conversionsettings.h"
#include "app/runcontext.h"
#include "formats/sourcetags.h"

#include "effects/bitmap.h"

namespace pictaron {

// The picture shown is what a browser shows on a white page: a lossy file
// decoded again, a lossless one the finished picture, flattened onto white
// when it has transparency. Without a work file in the context (the command
// line, which shows nothing) a lossy file is not decoded again, and the
// picture is null. Progress comes from the encoder itself; the cancel flag
// stops it at its next report. Throws PictaronError with the encoder's reason
// when it fails (a side above 16383 pixels, say), RunCancelled when
// cancelled.
EncodedResult EncodeWebpResult(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                               RunContext& context, const SourceTags& source = {});

} // namespace pictaron
