// The AVIF encoder step of a run, on libavif (with libaom as its AV1
// encoder on Debian 12).
//
// Eight bits a sample, full range, sRGB (CICP 1/13/6). Quality q (avifQuality,
// 0..100) becomes the AV1 quantizer AvifQuantizer(q), used as both the
// smallest and the largest quantizer for the colour and the alpha planes, as
// avifenc --min Q --max Q (and avifenc 1.x's quality) does; chroma 4:2:0 or
// 4:4:4 (avifChroma); the encoder's speed 0..10 (avifSpeed). Lossless
// (avifLossless) is avifenc -l: quantizer 0 for colour and alpha, 4:4:4, the
// RGB samples stored as they are (identity matrix coefficients). A picture
// with transparency (see formats/alphaplane.h) keeps its alpha plane.
// libavif itself is loaded only by the first AVIF (avifcodec.h).
#pragma once

#include "app/conversionsettings.h"
#include "app/runcontext.h"
#include "formats/sourcetags.h"

#include "effects/bitmap.h"

namespace pictaron {

// ((100 − q)·63 + 50) / 100 for q clamped to 0..100: 0 (lossless) at 100, 63
// at 0.
int AvifQuantizer(int quality);

// The picture shown is what a browser shows on a white page: a lossy file
// decoded again, a lossless one the finished picture, flattened onto white
// when it has transparency. Without a work file in the context (the command
// line, which shows nothing) a lossy file is not decoded again, and the
// picture is null. libavif reports no progress: the bar says "Saving" while
// it works, and the cancel flag is tested before and after. Throws
// PictaronError with libavif's reason when it fails, RunCancelled when
// cancelled.
EncodedResult EncodeAvifResult(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                               RunContext& context, const SourceTags& source = {});

} // namespace pictaron
