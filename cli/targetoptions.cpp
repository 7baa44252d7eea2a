// --max-bytes, --min-ssim: targets the encoder meets by choosing the quality
// or the colour count itself, with real encodes.
#include "cli/optiongroups.h"

#include <charconv>
#include <cmath>

namespace pictaron {

namespace {

constexpr std::string_view kMaxBytes = "max-bytes";
constexpr std::string_view kMinSsim = "min-ssim";

std::string Usage()
{
    return std::string(
        "Targets (JPEG, WebP, AVIF, GIF, indexed PNG):\n"
        "  The quality or colour count is chosen by trial encodes; --quality, --colours\n"
        "  and --png-colours are then left out (--palette optimized makes a PNG\n"
        "  indexed). A format with nothing to choose (truecolour PNG, --lossless) is\n"
        "  encoded once and must meet the target. A picture that cannot is an error:\n"
        "  the message says the smallest size or best score reached, and nothing is\n"
        "  written for it.\n"
        "  --max-bytes SIZE        the highest quality (most colours) whose file takes at\n"
        "                          most SIZE bytes: 2000, 150k, 1.5M (k = 1024 bytes,\n"
        "                          M = 1024 k)\n"
        "  --min-ssim X            the lowest quality (fewest colours) whose structural\n"
        "                          similarity (SSIM) to the finished picture reaches X,\n"
        "                          0 < X <= 1; with --max-bytes it must fit that too\n");
}

std::vector<OptionDefinition> Options()
{
    return {
        {{std::string(kMaxBytes)}, "size"},
        {{std::string(kMinSsim)}, "x"},
    };
}

// A number as the pattern "[0-9]*\\.?[0-9]+" takes it: digits with at most
// one point, and a digit last.
bool IsDecimal(std::string_view text)
{
    const std::size_t point = text.find('.');
    if (point != std::string_view::npos)
        return AllDigits(text.substr(0, point)) && !text.substr(point + 1).empty() && AllDigits(text.substr(point + 1));
    return !text.empty() && AllDigits(text);
}

// Whole bytes, rounded down so that a budget is never exceeded: "1.5k" is 1536.
bool ReadSize(const OptionParser& parser, std::int64_t& bytes, std::string& error)
{
    if (!parser.IsSet(kMaxBytes))
        return true;
    const std::string text = parser.Value(kMaxBytes);
    std::string_view number = WithoutFinalNewline(text);
    double scale = 1.0;
    if (!number.empty() && (number.back() == 'k' || number.back() == 'K' || number.back() == 'm' || number.back() == 'M')) {
        scale = number.back() == 'm' || number.back() == 'M' ? 1024.0 * 1024.0 : 1024.0;
        number.remove_suffix(1);
    }
    double parsed = 0;
    const bool read = IsDecimal(number)
        && std::from_chars(number.data(), number.data() + number.size(), parsed).ec == std::errc();
    const double value = std::floor(parsed * scale);
    // Beyond 2^53 bytes a double no longer holds whole numbers; no file is that large.
    if (!read || !(value >= 1 && value <= 9007199254740992.0)) {
        error = Substitute("--max-bytes needs a size of at least one byte, such as 2000, 150k or 1.5M, not "
                           "\"%1\".",
                           text);
        return false;
    }
    bytes = static_cast<std::int64_t>(value);
    return true;
}

bool ReadScore(const OptionParser& parser, double& score, std::string& error)
{
    if (!parser.IsSet(kMinSsim))
        return true;
    const std::optional<double> value = ParseDecimalNumber(parser.Value(kMinSsim));
    if (!value || !(*value > 0 && *value <= 1)) {
        error = Substitute("--min-ssim needs a number above 0 and at most 1, not \"%1\".", parser.Value(kMinSsim));
        return false;
    }
    score = *value;
    return true;
}

bool Read(const OptionParser& parser, ConversionSettings& s, std::string& error)
{
    if (!ReadSize(parser, s.maxBytes, error) || !ReadScore(parser, s.minSimilarity, error))
        return false;
    const std::string_view target = parser.IsSet(kMaxBytes) ? kMaxBytes : kMinSsim;
    if (!parser.IsSet(target))
        return true;
    // The target chooses this setting; a value given as well would be dropped.
    for (const std::string_view chosen : {"quality", "colours", "png-colours"}) {
        if (parser.IsSet(chosen)) {
            error = Substitute("--%1 chooses the %2 itself; leave out --%3.", target,
                               chosen == "quality" ? chosen : "colour count", chosen);
            return false;
        }
    }
    return true;
}

} // namespace

OptionGroup TargetOptions()
{
    return {Usage, Options, Read};
}

} // namespace pictaron
