#include "cli/variants.h"

#include "app/outputformat.h"
#include "cli/cliargs.h"
#include "cli/optiongroups.h"
#include "components/pathnames.h"

#include <algorithm>
#include <cmath>

namespace pictaron {

namespace {

constexpr std::string_view kWidths = "widths";
constexpr std::string_view kFormats = "formats";
constexpr std::string_view kHtml = "html";
constexpr std::string_view kSizes = "sizes";

// Wider than any picture the loader opens is worth making.
constexpr int kMaxWidth = 100'000;

bool ReadWidths(const OptionParser& parser, std::vector<int>& widths, std::string& error)
{
    const std::string text = parser.Value(kWidths);
    for (const std::string& part : SplitAt(text, ',')) {
        const std::string_view word = TrimmedUnicode(part);
        const int width = !word.empty() && word.size() <= 6 && AllDigits(word)
            ? static_cast<int>(*ParseWholeNumber(word))
            : 0;
        if (width < 1 || width > kMaxWidth) {
            error = Substitute("--widths needs widths in pixels from 1 to %1, separated by commas (480,960,1920), "
                               "not \"%2\".",
                               kMaxWidth, text);
            return false;
        }
        if (std::find(widths.begin(), widths.end(), width) != widths.end()) {
            error = Substitute("--widths names %1 twice.", width);
            return false;
        }
        widths.push_back(width);
    }
    std::sort(widths.begin(), widths.end());
    return true;
}

bool ReadFormats(const OptionParser& parser, std::vector<OutputFormat>& formats, std::string& error)
{
    Texts keys;
    for (const OutputFormatFacts& facts : OutputFormats())
        keys.push_back(facts.key);
    const std::string text = parser.Value(kFormats);
    for (const std::string& part : SplitAt(text, ',')) {
        const std::optional<OutputFormat> format = FormatForKey(TrimmedUnicode(part));
        if (!format) {
            error = Substitute("--formats needs formats separated by commas (avif,webp,jpeg), each one of %1; "
                               "\"%2\" is none.",
                               JoinTexts(keys, ", "), part);
            return false;
        }
        if (std::find(formats.begin(), formats.end(), *format) != formats.end()) {
            error = Substitute("--formats names %1 twice.", FactsOf(*format).name);
            return false;
        }
        formats.push_back(*format);
    }
    return true;
}

// What variants cannot go with; empty when the job is sound.
std::string CheckVariantJob(const OptionParser& parser, const CliJob& job)
{
    const VariantRequest& v = job.variants;
    if (!v.formats.empty() && parser.IsSet("format"))
        return "Choose either --format or --formats.";
    if (!v.widths.empty() && parser.IsSet("resize"))
        return "--widths sets the size of each variant; leave out --resize.";
    if (job.outputKind == CliOutputKind::StandardOutput)
        return "Variants are files named after the output; -o - cannot name them.";
    if (job.mode == CliOutputMode::Report)
        return "--report describes one result; --json lists every variant.";
    if (v.html && job.mode == CliOutputMode::Json)
        return "Choose either --html or --json.";
    return {};
}

} // namespace

std::string VariantUsage()
{
    return std::string(
        "Responsive variants:\n"
        "  --widths W,W,...        make the picture at each width (pixels), the height\n"
        "                          keeping its aspect ratio, each named after OUTPUT\n"
        "                          with -<width>.<extension> for its extension; a width\n"
        "                          above the picture's own is left out, with a note on\n"
        "                          standard error\n"
        "  --formats F,F,...       make each variant in each of these formats (such as\n"
        "                          avif,webp,jpeg); without --widths at the picture's\n"
        "                          own width, named after OUTPUT with the format's\n"
        "                          extension. An option of any of them is taken\n"
        "  --html                  print a <picture> element on standard output: a\n"
        "                          <source> for each format but the last, with every\n"
        "                          width in its srcset, and an <img> of the last (the\n"
        "                          run's format without --formats) at its largest width\n"
        "  --sizes TEXT            the sizes attribute of --html (default 100vw)\n");
}

std::vector<OptionDefinition> VariantOptions()
{
    return {
        {{std::string(kWidths)}, "widths"},
        {{std::string(kFormats)}, "formats"},
        {{std::string(kHtml)}, ""},
        {{std::string(kSizes)}, "text"},
    };
}

bool ReadVariantOptions(const OptionParser& parser, CliJob& job, std::string& error)
{
    VariantRequest& v = job.variants;
    if (parser.IsSet(kWidths) && !ReadWidths(parser, v.widths, error))
        return false;
    if (parser.IsSet(kFormats) && !ReadFormats(parser, v.formats, error))
        return false;
    v.html = parser.IsSet(kHtml);
    if (parser.IsSet(kSizes)) {
        v.sizes = TrimmedUnicode(parser.Value(kSizes));
        if (!v.html || v.sizes.empty()) {
            error = "--sizes gives the sizes attribute of --html and cannot be empty.";
            return false;
        }
    }
    if (v.IsEmpty()) {
        if (v.html)
            error = "--html lists variants; name them with --widths or --formats.";
        return !v.html;
    }
    error = CheckVariantJob(parser, job);
    return error.empty();
}

std::vector<OutputFormat> WrittenFormats(const CliJob& job)
{
    return job.variants.formats.empty() ? std::vector<OutputFormat>{job.settings.format} : job.variants.formats;
}

std::string VariantPath(const std::string& single, int width, OutputFormat format)
{
    const std::string_view suffix = SuffixOf(single);
    std::string path = suffix.empty() ? single : single.substr(0, single.size() - suffix.size() - 1);
    if (width > 0)
        path += '-' + NumberText(width);
    return path + '.' + FactsOf(format).extension;
}

Size VariantSize(Size source, int width)
{
    const double height = static_cast<double>(source.height()) * width / source.width();
    return Size(width, std::max(1, static_cast<int>(std::nearbyint(height))));
}

LoadOptions VariantLoadOptions(const CliJob& job)
{
    LoadOptions options = LoadOptionsFor(job.settings);
    if (!job.variants.widths.empty() && !job.settings.crop && !job.settings.rotate)
        options.jpegMinimumWidth = 2 * job.variants.widths.back();
    return options;
}

} // namespace pictaron
