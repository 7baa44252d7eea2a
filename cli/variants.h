// Responsive variants: one picture made at several widths and in several
// formats, for the srcset of a <picture> element.
//
//   --widths 480,960,1920 --formats avif,webp,jpeg -o web/
//
// writes web/photo-480.avif ... web/photo-1920.jpg. Each variant is named
// after the output a single run would write, its extension replaced by
// "-<width>.<extension of its format>" ("-<width>" left out without
// --widths), so folders, patterns and every check of the output plan apply
// to each variant. The height keeps the aspect ratio; a width above the
// picture's is left out, with one line on standard error, since a browser
// would take such a file for sharper than it is.
#pragma once

#include "app/conversionsettings.h"

#include "cli/optionparser.h"
#include "components/sizes.h"

#include <string>
#include <vector>

namespace pictaron {

struct CliJob;

struct VariantRequest {
    std::vector<int> widths;            // ascending; empty: the picture's own width
    std::vector<OutputFormat> formats;  // as given; empty: the run's one format
    bool html = false;                  // print a <picture> element
    std::string sizes = "100vw";

    bool IsEmpty() const { return widths.empty() && formats.empty(); }
};

std::string VariantUsage();
std::vector<OptionDefinition> VariantOptions();
// Reads --widths, --formats, --html and --sizes into job.variants and checks
// them against the rest of the job; false with error set on bad usage.
bool ReadVariantOptions(const OptionParser& parser, CliJob& job, std::string& error);

// Every format the job writes, the fallback of the <img> (the last) at the end.
std::vector<OutputFormat> WrittenFormats(const CliJob& job);

// The name of one variant, from the output a single run would write.
std::string VariantPath(const std::string& single, int width, OutputFormat format);

// The size of a picture of size source made width wide, keeping its aspect
// ratio (the height rounded, at least 1).
Size VariantSize(Size source, int width);

// The loader's options for a variant run: as the settings say, and a JPEG
// decoded shrunk to no less than twice the largest width, which the resize
// filter then brings down with every detail the variants can show. Not when
// a crop names pixels of the whole picture, nor before a rotation.
LoadOptions VariantLoadOptions(const CliJob& job);

} // namespace pictaron
