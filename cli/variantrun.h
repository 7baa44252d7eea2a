// Making the variants of one picture (cli/variants.h), decoded once: each
// width is resized once for the formats that treat transparency alike, then
// encoded in each of them.
#pragma once

#include "app/runcontext.h"
#include "cli/cliargs.h"
#include "cli/outputplan.h"
#include "components/sizes.h"
#include "effects/bitmap.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictaron {

struct MadeVariant {
    std::string file;
    OutputFormat format = OutputFormat::Jpeg;
    Size dimensions;
    std::int64_t bytes = 0;
    std::optional<double> similarity;
    bool kept = false;  // --no-clobber kept the file there, which is not measured again
};

// Writes one variant; false when --no-clobber keeps the file there instead.
using PublishVariant = std::function<bool(const PlannedOutput& planned, std::string_view bytes)>;

// Makes outputs, the planned variants of one input, from its picture and in
// their order; one planned to be kept (--no-clobber) is listed, not made. A width above the picture's is left out with a line in
// notes; every width above it is an error, as is a step that fails. Throws
// PictaronError naming the input, RunCancelled when the context's flag ends
// the run; what is published by then is whole.
std::vector<MadeVariant> MakeVariants(const CliJob& job, const std::vector<PlannedOutput>& outputs,
                                      const Bitmap& original, const Bitmap& alpha, RunContext& context,
                                      const PublishVariant& publish, Texts& notes);

} // namespace pictaron
