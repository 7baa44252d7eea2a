#include "components/plaintext.h"

#include <charconv>
#include <cstdio>

namespace pictaron {

namespace {

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

} // namespace

std::string NumberText(std::int64_t value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return std::string(digits, end);
}

std::string FixedText(double value, int decimals)
{
    char text[64];
    const int length = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof text)
        return std::string(text, static_cast<std::size_t>(length));
    std::string large(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(large.data(), large.size(), "%.*f", decimals, value);
    large.pop_back();
    return large;
}

std::string SubstituteTexts(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    std::string text;
    text.reserve(pattern.size() + 16 * arguments.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (index < arguments.size()) {
                text += arguments.begin()[index];
                ++i;
                continue;
            }
        }
        text += pattern[i];
    }
    return text;
}

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = LowerAscii(c);
    return lower;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view start)
{
    return text.size() >= start.size() && EqualsNoCase(text.substr(0, start.size()), start);
}

bool EndsWithNoCase(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && EqualsNoCase(text.substr(text.size() - end.size()), end);
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

namespace {

// The length of the white-space character UTF-8 text starts with, or 0.
std::size_t LeadingSpace(std::string_view text)
{
    if (text.empty())
        return 0;
    if (IsSpace(text[0]))
        return 1;
    const auto byte = [&text](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    if (byte(0) == 0xC2 && (byte(1) == 0x85 || byte(1) == 0xA0))
        return 2;
    const unsigned int code = byte(0) << 16 | byte(1) << 8 | byte(2);
    const bool space = code == 0xE19A80                          // U+1680
        || (code >= 0xE28080 && code <= 0xE2808A)                // U+2000 … U+200A
        || code == 0xE280A8 || code == 0xE280A9 || code == 0xE280AF  // U+2028, U+2029, U+202F
        || code == 0xE2819F || code == 0xE38080;                 // U+205F, U+3000
    return space ? 3 : 0;
}

// The length of the white-space character UTF-8 text ends with, or 0.
std::size_t TrailingSpace(std::string_view text)
{
    for (std::size_t length = 1; length <= 3 && length <= text.size(); ++length)
        if (LeadingSpace(text.substr(text.size() - length)) == length)
            return length;
    return 0;
}

} // namespace

std::string_view TrimmedUnicode(std::string_view text)
{
    while (const std::size_t length = LeadingSpace(text))
        text.remove_prefix(length);
    while (const std::size_t length = TrailingSpace(text))
        text.remove_suffix(length);
    return text;
}

Texts SplitAt(std::string_view text, char separator)
{
    Texts pieces;
    for (;;) {
        const std::size_t at = text.find(separator);
        pieces.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + 1);
    }
}

std::string JoinTexts(const Texts& pieces, std::string_view separator)
{
    std::string text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i)
            text += separator;
        text += pieces[i];
    }
    return text;
}

std::optional<std::int64_t> ParseWholeNumber(std::string_view text)
{
    text = Trimmed(text);
    // from_chars reads a minus sign but no plus, and neither may follow a plus.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string ValidUtf8(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string valid;
    valid.reserve(text.size());
    const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const auto continues = [&](std::size_t at) { return at < text.size() && (byte(at) & 0xC0) == 0x80; };
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char lead = byte(at);
        std::size_t length = 0;
        if (lead < 0x80)
            length = 1;
        else if (lead >= 0xC2 && lead <= 0xDF)
            length = 2;
        else if (lead >= 0xE0 && lead <= 0xEF)
            length = 3;
        else if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        bool whole = length > 0;
        for (std::size_t i = 1; whole && i < length; ++i)
            whole = continues(at + i);
        // No overlong form of three or four bytes, no surrogate, nothing past U+10FFFF.
        if (whole && length >= 3) {
            const unsigned char second = byte(at + 1);
            whole = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second >= 0xA0)
                && !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second >= 0x90);
        }
        if (whole) {
            valid.append(text.substr(at, length));
            at += length;
        } else {
            valid.append("\xEF\xBF\xBD");
            ++at;
        }
    }
    return valid;
}

} // namespace pictaron
