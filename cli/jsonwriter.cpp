#include "cli/jsonwriter.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace pictaron {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The length of the UTF-8 sequence that starts text at, or 0 when the bytes
// there are none (a stray continuation byte, an overlong form, a surrogate,
// beyond U+10FFFF or cut short).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned int low = 0x80;  // the range of the second byte, which rules out overlong forms
    unsigned int high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

// Shortest digits and the decimal point's place: value = 0.DIGITS × 10^point.
void ShortestDigits(double value, std::string& digits, int& point)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific).ptr;
    const std::string_view scientific(text, static_cast<std::size_t>(end - text));
    const std::size_t e = scientific.find('e');
    digits.clear();
    for (const char c : scientific.substr(0, e))
        if (c != '.')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    point = std::atoi(std::string(scientific.substr(e + 1)).c_str()) + 1;
}

std::string Members(const std::vector<std::string>& items, char open, char close)
{
    std::string text(1, open);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i)
            text += ',';
        text += items[i];
    }
    return text + close;
}

} // namespace

std::string JsonString(std::string_view text)
{
    std::string json;
    json.reserve(text.size() + 2);
    json += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            // A byte that begins no character stands for the replacement
            // character, as the toolkit's strings read it.
            const std::size_t length = Utf8SequenceAt(text, i);
            json += length ? text.substr(i, length) : std::string_view("\xEF\xBF\xBD");
            i += length ? length : 1;
            continue;
        }
        ++i;
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (c < 0x20) {
                json += "\\u00";
                json += kHexDigits[c >> 4];
                json += kHexDigits[c & 0xF];
            } else {
                json += static_cast<char>(c);
            }
        }
    }
    json += '"';
    return json;
}

std::string JsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    constexpr double kExactWhole = 9007199254740992.0;  // 2^53
    if (value == std::trunc(value) && std::fabs(value) <= kExactWhole)
        return NumberText(static_cast<std::int64_t>(value));

    std::string digits;
    int point = 0;
    ShortestDigits(std::fabs(value), digits, point);
    const std::string sign = value < 0 ? "-" : "";
    const auto count = static_cast<int>(digits.size());

    std::string decimal;
    if (point <= 0)
        decimal = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    else if (point < count)
        decimal = digits.substr(0, static_cast<std::size_t>(point)) + '.' + digits.substr(static_cast<std::size_t>(point));
    else
        decimal = digits + std::string(static_cast<std::size_t>(point - count), '0');

    const int exponent = point - 1;
    std::string exponential = digits.substr(0, 1);
    if (count > 1)
        exponential += '.' + digits.substr(1);
    exponential += exponent < 0 ? "e-" : "e+";
    const std::string power = NumberText(std::abs(exponent));
    exponential += (power.size() < 2 ? "0" : "") + power;

    return sign + (exponential.size() < decimal.size() ? exponential : decimal);
}

JsonObject& JsonObject::SetText(std::string_view key, std::string_view text)
{
    members_.insert_or_assign(std::string(key), JsonString(text));
    return *this;
}

JsonObject& JsonObject::SetWhole(std::string_view key, std::int64_t value)
{
    members_.insert_or_assign(std::string(key), NumberText(value));
    return *this;
}

JsonObject& JsonObject::SetNumber(std::string_view key, double value)
{
    members_.insert_or_assign(std::string(key), JsonNumber(value));
    return *this;
}

JsonObject& JsonObject::SetFlag(std::string_view key, bool value)
{
    members_.insert_or_assign(std::string(key), value ? "true" : "false");
    return *this;
}

JsonObject& JsonObject::SetObject(std::string_view key, const JsonObject& object)
{
    members_.insert_or_assign(std::string(key), object.Compact());
    return *this;
}

JsonObject& JsonObject::SetArray(std::string_view key, const JsonArray& array)
{
    members_.insert_or_assign(std::string(key), array.Compact());
    return *this;
}

std::string JsonObject::Compact() const
{
    std::vector<std::string> items;
    items.reserve(members_.size());
    for (const auto& [key, value] : members_)
        items.push_back(JsonString(key) + ':' + value);
    return Members(items, '{', '}');
}

JsonArray::JsonArray(const Texts& texts)
{
    for (const std::string& text : texts)
        AppendText(text);
}

JsonArray& JsonArray::AppendText(std::string_view text)
{
    items_.push_back(JsonString(text));
    return *this;
}

JsonArray& JsonArray::AppendWhole(std::int64_t value)
{
    items_.push_back(NumberText(value));
    return *this;
}

JsonArray& JsonArray::AppendNumber(double value)
{
    items_.push_back(JsonNumber(value));
    return *this;
}

JsonArray& JsonArray::AppendObject(const JsonObject& object)
{
    items_.push_back(object.Compact());
    return *this;
}

std::string JsonArray::Compact() const
{
    return Members(items_, '[', ']');
}

} // namespace pictaron
