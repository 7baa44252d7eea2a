// Text helpers for the engine's strings: std::string holding UTF-8, the text
// type of everything below the window (messages, file names, report lines).
// The window turns them into the toolkit's strings at its edge
// (components/qtbridge.h). Letter case here is ASCII case: the words compared
// (extensions, option values, keys) are ASCII, and a byte of a UTF-8 sequence
// is never changed.
#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pictaron {

using Texts = std::vector<std::string>;

// The decimal text of a whole number.
std::string NumberText(std::int64_t value);

// value with exactly decimals digits after the point, as printf's "%.*f"
// writes it (an exact half rounds to even: 0.125 to two places is "0.12").
std::string FixedText(double value, int decimals);

// pattern with %1 … %9 replaced by the arguments in one pass, so a replacement
// that holds "%2" stays as it is; a marker without an argument stays too.
std::string SubstituteTexts(std::string_view pattern, std::initializer_list<std::string_view> arguments);

namespace detail {
inline std::string_view AsText(std::string_view text) { return text; }
inline std::string_view AsText(const std::string& text) { return text; }
inline std::string_view AsText(const char* text) { return text; }
template <std::integral Number>
    requires(!std::same_as<Number, bool> && !std::same_as<Number, char>)
std::string AsText(Number value) { return NumberText(static_cast<std::int64_t>(value)); }
} // namespace detail

// Substitute("%1 by %2 pixels", width, height): whole numbers and texts.
template <typename... Arguments>
std::string Substitute(std::string_view pattern, const Arguments&... arguments)
{
    // Each argument's text lives until the call ends.
    const auto substitute = [pattern](const auto&... texts) {
        return SubstituteTexts(pattern, {std::string_view(texts)...});
    };
    return substitute(detail::AsText(arguments)...);
}

std::string AsciiLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view start);
bool EndsWithNoCase(std::string_view text, std::string_view end);

// text without the white space (ASCII) at either end.
std::string_view Trimmed(std::string_view text);

// text without the Unicode white space at either end (the ASCII white space,
// U+0085, the no-break and other spaces, the line and paragraph separators),
// as the toolkit trims its strings.
std::string_view TrimmedUnicode(std::string_view text);

// The pieces between every separator, empty ones kept: "a,,b" gives three
// pieces, "" gives one empty piece.
Texts SplitAt(std::string_view text, char separator);
std::string JoinTexts(const Texts& pieces, std::string_view separator);

// text as well-formed UTF-8, read as the toolkit reads UTF-8: every byte that
// does not begin a whole, shortest-form sequence of a scalar value becomes
// U+FFFD, and a byte order mark at the very start is dropped.
std::string ValidUtf8(std::string_view text);

// A whole decimal number with an optional sign, white space allowed around
// it; nothing when the text is not one or does not fit 64 bits.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text);

} // namespace pictaron
