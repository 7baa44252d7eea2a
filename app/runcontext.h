// What a run needs from its surroundings besides the settings: where progress
// goes, the flag that cancels it, and where the JPEG work file lives.
//
// The window shows every result, so its runs write the work file and decode
// it again. The command line only writes files: with an empty workFile a JPEG
// is encoded in memory only and not decoded again, which saves a file round
// trip and a full decode per picture.
#pragma once

#include "app/conversionsettings.h"
#include "app/progress.h"

#include "components/plaintext.h"
#include "components/sharedbytes.h"
#include "components/sizes.h"
#include "effects/bitmap.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pictaron {

struct RunContext {
    RunProgress& progress;
    const CancelFlag& cancel;
    std::string workFile;  // the JPEG work file (see WorkFilePath()), or empty
    // The command line wants the result's similarity score (its JSON report,
    // a quality floor): the result is then decoded again, as the window's is.
    bool score = false;

    // The result is decoded again, as a browser shows it, and scored.
    bool ShowsResult() const { return !workFile.empty() || score; }
};

// What an encoder step hands back to the window: the format encoded, the
// picture the result view shows at its natural size (also the unscaled copy
// kept for zooming; null when the run does not show its result), its size in
// pixels, the encoded bytes and
// their count, and the description for the report (empty: describe the
// picture). For a GIF, colours is the number of palette entries. Warnings are
// the messages of steps that failed without ending the run (a resize that could
// not be done); the window shows each, the command line prints them.
struct EncodedResult {
    OutputFormat format = OutputFormat::Jpeg;
    Bitmap picture;
    Size dimensions;
    SharedBytes bytes;
    std::int64_t size = 0;
    std::string description;
    int colours = 0;
    Texts warnings;
    // The source's metadata the file holds: "exif", "xmp", in that order;
    // empty when it holds none.
    Texts metadata;
    // The structural similarity of the picture shown to the finished picture
    // before encoding (effects/similarity.h), both over white; empty when the
    // result is not shown or is smaller than the score's window.
    std::optional<double> similarity;
    // With a byte budget or a quality floor: the quality or colour count the
    // search chose (settingChosen) and how many encodes it took; 0 otherwise.
    // A format with no setting to search is encoded once: one trial, nothing
    // chosen.
    bool settingChosen = false;
    int chosenSetting = 0;
    int trials = 0;
};

} // namespace pictaron
