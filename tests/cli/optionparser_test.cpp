// The command line's option parser against the toolkit's, which pictaron-cli
// read its arguments with before, on the program's own option table: the
// same arguments must be taken, give the same values and fail with the same
// message.
#include "cli/cliargs.h"
#include "cli/optionparser.h"
#include "components/qtbridge.h"

#include <gtest/gtest.h>

#include <QCommandLineParser>

#include <random>
#include <string>

namespace pictaron {
namespace {

// What a parser made of one command line, in terms both give.
struct Reading {
    bool parsed = false;
    std::string error;
    Texts positional;
    std::vector<std::pair<bool, std::string>> options;  // set and value, of every name in table order

    bool operator==(const Reading&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Reading& reading)
{
    out << (reading.parsed ? "parsed" : "failed: " + reading.error) << "; arguments:";
    for (const std::string& argument : reading.positional)
        out << " [" << argument << "]";
    for (const auto& [set, value] : reading.options)
        if (set)
            out << " set=[" << value << "]";
    return out;
}

Reading ReadWithToolkit(const std::vector<OptionDefinition>& table, const Texts& arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionDefinition& definition : table)
        parser.addOption(QCommandLineOption(ToQStringList(definition.names), QString(), ToQString(definition.valueName)));
    Reading reading;
    reading.parsed = parser.parse(ToQStringList(arguments));
    reading.error = parser.errorText().toStdString();
    reading.positional = ToTexts(parser.positionalArguments());
    for (const OptionDefinition& definition : table)
        for (const std::string& name : definition.names)
            reading.options.emplace_back(parser.isSet(ToQString(name)), parser.value(ToQString(name)).toStdString());
    return reading;
}

Reading ReadWithOurs(const std::vector<OptionDefinition>& table, const Texts& arguments)
{
    OptionParser parser;
    parser.Add(table);
    Reading reading;
    reading.parsed = parser.Parse(arguments);
    reading.error = parser.ErrorText();
    reading.positional = parser.PositionalArguments();
    for (const OptionDefinition& definition : table)
        for (const std::string& name : definition.names)
            reading.options.emplace_back(parser.IsSet(name), parser.Value(name));
    return reading;
}

TEST(OptionParserTest, ReadsAwkwardCommandLinesAsTheToolkitDoes)
{
    const std::vector<OptionDefinition> table = CliOptions();
    const std::vector<Texts> lines = {
        {"pictaron-cli"},
        {"pictaron-cli", "in.png", "-o", "out.jpg", "--quality", "50"},
        {"pictaron-cli", "--quality=50", "-o=out.jpg", "in.png"},
        {"pictaron-cli", "-quality", "50", "-output", "out.jpg", "in.png"},
        {"pictaron-cli", "--o", "out.jpg", "-h"},
        {"pictaron-cli", "-oout.jpg"},                            // no letters run together
        {"pictaron-cli", "in.png", "-o"},                         // a missing value
        {"pictaron-cli", "--output"},
        {"pictaron-cli", "-o", "--json"},                         // a value that looks like an option
        {"pictaron-cli", "--json=yes"},                           // a switch with a value
        {"pictaron-cli", "--json=", "--report="},
        {"pictaron-cli", "--bogus"},
        {"pictaron-cli", "--bogus", "-x", "--y=3", "-"},          // several unknown
        {"pictaron-cli", "--bogus", "--overwrite=3"},             // a bad value outranks unknown options
        {"pictaron-cli", "--overwrite=3", "--json=1", "--bogus"}, // the last bad value is told
        {"pictaron-cli", "--overwrite=3", "-o"},
        {"pictaron-cli", "---json", "-=x", "--=", "-="},
        {"pictaron-cli", "-", "--", "-", "--json", "--", "-o"},   // arguments after "--"
        {"pictaron-cli", "", "-o", ""},                           // empty arguments
        {"pictaron-cli", "--quality", "1", "--quality=2", "--quality", "3"},  // the last value counts
        {"pictaron-cli", "--caption=a=b", "--font", "=x"},
        {"pictaron-cli", "--widths", "8,16", "é.png", "--sizes=50vw", "-o", "dir/"},
        {"pictaron-cli", "--HELP", "--Json", "-O", "x"},          // names are case-sensitive
        {"pictaron-cli", "--version", "--help"},
    };
    for (const Texts& line : lines)
        EXPECT_EQ(ReadWithOurs(table, line), ReadWithToolkit(table, line)) << JoinTexts(line, " ");
}

TEST(OptionParserTest, RandomCommandLinesReadAsTheToolkitReadsThem)
{
    const std::vector<OptionDefinition> table = CliOptions();
    Texts pieces = {"-", "--", "", "in.png", "x=y", "=", "-o", "--o", "-output", "--bogus", "-b", "--=", "---json"};
    for (const OptionDefinition& definition : table)
        for (const std::string& name : definition.names) {
            pieces.push_back("--" + name);
            pieces.push_back("-" + name);
            pieces.push_back("--" + name + "=v");
            pieces.push_back("-" + name + "=");
        }
    std::mt19937 random(20261210);
    for (int i = 0; i < 3000; ++i) {
        Texts line{"pictaron-cli"};
        const int count = static_cast<int>(random() % 7);
        for (int j = 0; j < count; ++j)
            line.push_back(pieces[random() % pieces.size()]);
        ASSERT_EQ(ReadWithOurs(table, line), ReadWithToolkit(table, line)) << JoinTexts(line, " ");
    }
}

TEST(OptionParserTest, ProgramOptionsHaveNamesOfTheirOwn)
{
    // The parser takes an option by its first match: a name given twice
    // would hide an option.
    Texts names;
    for (const OptionDefinition& definition : CliOptions())
        for (const std::string& name : definition.names) {
            EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << name;
            EXPECT_FALSE(name.empty() || name.front() == '-' || name.find('=') != std::string::npos) << name;
            names.push_back(name);
        }
    EXPECT_GT(names.size(), 50u);
}

} // namespace
} // namespace pictaron
