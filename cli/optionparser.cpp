#include "cli/optionparser.h"

namespace pictaron {

void OptionParser::Add(const OptionDefinition& option)
{
    options_.push_back({option, false, {}});
}

void OptionParser::Add(const std::vector<OptionDefinition>& options)
{
    for (const OptionDefinition& option : options)
        Add(option);
}

std::size_t OptionParser::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < options_.size(); ++i)
        for (const std::string& known : options_[i].definition.names)
            if (known == name)
                return i;
    return kUnknown;
}

bool OptionParser::TakeValue(std::size_t option, const std::string& argument, const Texts& arguments,
                             std::size_t& next)
{
    Option& found = options_[option];
    found.set = true;
    const std::size_t assign = argument.find('=');
    if (found.definition.valueName.empty()) {
        if (assign == std::string::npos)
            return true;
        error_ = Substitute("Unexpected value after '%1'.", std::string_view(argument).substr(0, assign));
        return false;
    }
    if (assign != std::string::npos) {
        found.values.push_back(argument.substr(assign + 1));
        return true;
    }
    if (next >= arguments.size()) {
        error_ = Substitute("Missing value after '%1'.", argument);
        return false;
    }
    found.values.push_back(arguments[next++]);
    return true;
}

bool OptionParser::Parse(const Texts& arguments)
{
    bool good = true;
    bool onlyArguments = false;
    for (std::size_t next = 1; next < arguments.size();) {
        const std::string& argument = arguments[next++];
        if (onlyArguments || argument.size() < 2 || argument[0] != '-') {
            positional_.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyArguments = true;
            continue;
        }
        const std::size_t dashes = argument[1] == '-' ? 2 : 1;
        const std::string_view word = std::string_view(argument).substr(dashes);
        const std::string name(word.substr(0, word.find('=')));
        const std::size_t option = IndexOf(name);
        if (option == kUnknown) {
            unknown_.push_back(name);
            good = false;
        } else if (!TakeValue(option, argument, arguments, next)) {
            good = false;
        }
    }
    return good;
}

std::string OptionParser::ErrorText() const
{
    if (!error_.empty())
        return error_;
    if (unknown_.size() == 1)
        return Substitute("Unknown option '%1'.", unknown_.front());
    if (unknown_.size() > 1)
        return Substitute("Unknown options: %1.", JoinTexts(unknown_, ", "));
    return {};
}

bool OptionParser::IsSet(std::string_view name) const
{
    const std::size_t option = IndexOf(name);
    return option != kUnknown && options_[option].set;
}

std::string OptionParser::Value(std::string_view name) const
{
    const std::size_t option = IndexOf(name);
    if (option == kUnknown || options_[option].values.empty())
        return {};
    return options_[option].values.back();
}

} // namespace pictaron
