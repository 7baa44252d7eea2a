// The encoder step of a run: the format's encoder, the similarity score of
// what it made, and the search for a byte budget or a quality floor.
#pragma once

#include "app/conversionsettings.h"
#include "app/runcontext.h"
#include "formats/sourcetags.h"

#include "effects/bitmap.h"

namespace pictaron {

// working is the finished picture (straight colours), alpha its plane for a
// format that keeps it (else null). With a target in the settings, each
// trial is a real encode in memory at one quality or colour count (see
// app/settingsearch.h), and the chosen one is encoded once more into the work
// file when the context has one. Throws PictaronError when no setting meets
// the target, naming the closest the search came.
EncodedResult EncodeStep(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                         RunContext& context, const SourceTags& source);

// Whether the format has a setting a target can search: a quality, or the
// colour count of an indexed result.
bool HasSearchableSetting(const ConversionSettings& settings);

} // namespace pictaron
