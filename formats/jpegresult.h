// The JPEG encoder step of a run.
#pragma once

#include "app/conversionsettings.h"
#include "app/runcontext.h"

namespace pictaron {

// Encodes the finished working bitmap with the quality, greyscale and
// progressive settings, writes it to the work file, measures that file on disk
// and decodes it again as the picture to show. The work file is replaced only
// by a complete new one, so a failed run leaves the last result intact.
// Without a work file in the context, only encodes, and decodes the bytes
// again when the context scores its result. The source's tags give
// what the settings keep of its metadata and profile; a picture without tags
// gives the same bytes as ever.
EncodedResult EncodeJpegResult(const Bitmap& working, const ConversionSettings& settings, RunContext& context,
                               const SourceTags& source = {});

} // namespace pictaron
