// What pictaron-cli prints about one converted picture.
#pragma once

#include "formats/sourcetags.h"

#include "components/plaintext.h"
#include "components/sizes.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pictaron {

struct CliPictureReport {
    std::string input;
    std::string output;
    std::string format;              // the format's key: "jpeg", "gif", "png", "webp", "avif"
    std::int64_t originalSize = 0;   // bytes
    Size originalDimensions;         // pixels
    std::int64_t resultSize = 0;     // bytes of the written file
    Size resultDimensions;           // pixels
    bool indexed = false;      // a GIF or an indexed PNG
    int colours = 0;           // its palette entries
    Texts warnings;            // one line each, naming the file (a picture read only in part)
    SourceTags source;         // what the loader did with the source's orientation and profile
    Texts metadata;            // the source's metadata the result holds: "exif", "xmp"
    std::optional<double> similarity;  // the result's SSIM, when the run scored it
    // When a target chose the quality (or colour count): the choice, the
    // encodes it took and the targets, each 0 when not set.
    struct Search {
        int setting = 0;
        int trials = 0;
        std::int64_t maxBytes = 0;
        double minSimilarity = 0;
    };
    std::optional<Search> search;
};

// The window's texts: source info, result info and the download-time list.
std::string ReportText(const CliPictureReport& report);
// One JSON object on one line.
std::string JsonLine(const CliPictureReport& report);

} // namespace pictaron
