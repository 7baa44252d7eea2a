// The command line's own option parser. It reads arguments as the program
// has always read them: an option is "--name", or "-name" (a word after one
// dash is the long option of that name, never a cluster of letters); a value
// follows as "--name=value" or as the next argument, which is taken whatever
// it looks like; "-" is an argument; everything after "--" is an argument;
// options and arguments mix in any order. Parsing goes on past an error, so
// the message is the one users have always seen: the last missing or
// unexpected value, else every unknown option.
#pragma once

#include "components/plaintext.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pictaron {

struct OptionDefinition {
    Texts names;            // every name of the option, such as {"o", "output"}
    std::string valueName;  // what its value is called; empty for a switch
};

class OptionParser {
public:
    void Add(const OptionDefinition& option);
    void Add(const std::vector<OptionDefinition>& options);

    // arguments[0] is the program. False when any argument is bad.
    bool Parse(const Texts& arguments);
    // Why Parse failed: "Unknown option 'x'.", "Missing value after '--o'." …
    std::string ErrorText() const;

    // name is any name of an option.
    bool IsSet(std::string_view name) const;
    // The value given last; empty when there is none.
    std::string Value(std::string_view name) const;
    const Texts& PositionalArguments() const { return positional_; }

private:
    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);
    std::size_t IndexOf(std::string_view name) const;
    // The option named in argument at its name's start; false with the
    // error noted when its value is missing or unexpected. next is the
    // argument after it, which a value may take.
    bool TakeValue(std::size_t option, const std::string& argument, const Texts& arguments, std::size_t& next);

    struct Option {
        OptionDefinition definition;
        bool set = false;
        Texts values;
    };
    std::vector<Option> options_;
    Texts positional_;
    Texts unknown_;
    std::string error_;
};

} // namespace pictaron
