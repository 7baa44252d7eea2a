// What each kind of result is called and how its files are named: the one
// table the window (radio buttons, Save filters, the result name's extension),
// the command line (--format, the output's extension, the JSON report) and the
// report read.
#pragma once

#include "app/conversionsettings.h"

#include "components/plaintext.h"

#include <string>
#include <string_view>

#include <optional>
#include <span>

namespace pictaron {

struct OutputFormatFacts {
    OutputFormat format;
    std::string name;            // "JPEG", as the window and the report show it
    std::string key;             // "jpeg": --format and the JSON report
    std::string extension;       // "jpg": the extension a result file gets
    Texts extensions;        // every extension naming the format, the usual one first
    std::string filter;          // the Save dialog's filter, "*.jpg|*.jpg" (label|patterns)
    std::string mimeType;        // "image/jpeg", as web pages declare it
    // The result can keep a source's transparency (its alpha channel).
    bool keepsAlpha;
};

// In the order the window offers them.
std::span<const OutputFormatFacts> OutputFormats();
const OutputFormatFacts& FactsOf(OutputFormat format);

// The format a --format word (its key, or one of its extensions) or a file
// name's extension names, case aside; none for anything else.
std::optional<OutputFormat> FormatForKey(std::string_view word);
std::optional<OutputFormat> FormatForFileName(std::string_view fileName);

// Whether a run in these settings keeps the source's alpha channel: a format
// that can, and for PNG only the truecolour kind (an indexed PNG has the
// GIF's pixels and transparent colour).
bool KeepsAlpha(const ConversionSettings& settings);

} // namespace pictaron
