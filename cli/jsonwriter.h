// A small JSON writer for the command line's reports: compact text, the
// members of an object in the byte order of their keys (UTF-8 keys sort as
// their code points do), numbers and strings written as the reports always
// wrote them, so a line that scripts compare stays byte for byte the same:
// a number that is whole and exact in a double (|x| <= 2^53) is written as
// a whole number; any other the shorter of its decimal and exponent forms
// with the fewest digits that read back the same (a tie to the decimal
// form: 0.00012345, 1e-04, 1e+16); an infinity or NaN as null.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "components/plaintext.h"

namespace pictaron {

class JsonArray;

class JsonObject {
public:
    // Each replaces a member of the same key.
    JsonObject& SetText(std::string_view key, std::string_view text);
    JsonObject& SetWhole(std::string_view key, std::int64_t value);
    JsonObject& SetNumber(std::string_view key, double value);
    JsonObject& SetFlag(std::string_view key, bool value);
    JsonObject& SetObject(std::string_view key, const JsonObject& object);
    JsonObject& SetArray(std::string_view key, const JsonArray& array);

    std::string Compact() const;

private:
    std::map<std::string, std::string, std::less<>> members_;  // key: the value's JSON
};

class JsonArray {
public:
    JsonArray() = default;
    // An array of texts.
    explicit JsonArray(const Texts& texts);

    JsonArray& AppendText(std::string_view text);
    JsonArray& AppendWhole(std::int64_t value);
    JsonArray& AppendNumber(double value);
    JsonArray& AppendObject(const JsonObject& object);

    std::string Compact() const;

private:
    std::vector<std::string> items_;  // each item's JSON
};

// The JSON of one string or one number, quotes included for a string.
std::string JsonString(std::string_view text);
std::string JsonNumber(double value);

} // namespace pictaron
