// The values of pictaron-cli's options against the toolkit's number readers,
// which read them before: the same texts must be taken, as the same values.
#include "cli/cliargs.h"
#include "components/qtbridge.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

#include <cmath>
#include <iterator>
#include <string>
#include <vector>

namespace pictaron {
namespace {

CliParse Parse(const std::string& output, const Texts& options)
{
    Texts arguments{"pictaron-cli", "in.ppm", "-o", output};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return ParseCliArguments(arguments);
}

// Texts around the edges of what a number reader takes.
const char* const kAwkward[] = {
    "", " ", "5", " 5 ", "+5", "-5", "+-5", "--5", "05", "0x10", "5x", "5 5", "\t7\n", "\v8\f", "\xc2\xa0" "9",
    "9\xc2\xa0", "\xe3\x80\x80" "3", "2147483647", "2147483648", "-2147483648", "99999999999999999999", "1e3",
    "0.5", ".5", "5.", ".", "+.5", "-.5", "1e-1", "1E-1", "0.5e", "inf", "nan", "infinity", "1e-310", "1e-400",
    "1e400", "1,5", "0x0.8p0", "٣", "abcdef", "ABCDEF", "#abcdef", "##abcde", "0xabcd", "0Xabcd", "+abcde",
    " abcde", "abcde ", "+0xabc", "0x", "-abcde", "abcd\n", "ab cd", "12345g", "#12345", "1234567",
};

TEST(OptionValuesTest, WholeNumbersAsTheToolkitReadsThem)
{
    for (const char* text : kAwkward) {
        bool ok = false;
        const int expected = QString::fromUtf8(text).toInt(&ok);
        const CliParse parse = Parse("out.jpg", {"--jobs", text});
        const bool taken = ok && expected >= 1 && expected <= 64;
        EXPECT_EQ(parse.outcome == CliParse::Outcome::Run, taken) << "[" << text << "] " << parse.error;
        if (taken)
            EXPECT_EQ(parse.job.jobs, expected) << text;
    }
}

TEST(OptionValuesTest, ScoresAsTheToolkitReadsThem)
{
    for (const char* text : kAwkward) {
        bool ok = false;
        const double expected = QString::fromUtf8(text).toDouble(&ok);
        const CliParse parse = Parse("out.jpg", {"--min-ssim", text});
        const bool taken = ok && expected > 0 && expected <= 1;
        EXPECT_EQ(parse.outcome == CliParse::Outcome::Run, taken) << "[" << text << "] " << parse.error;
        if (taken)
            EXPECT_EQ(parse.job.settings.minSimilarity, expected) << text;
    }
}

TEST(OptionValuesTest, ColoursAsTheToolkitReadsThem)
{
    for (const char* text : kAwkward) {
        QString digits = QString::fromUtf8(text);
        if (digits.startsWith(QLatin1Char('#')))
            digits.remove(0, 1);
        bool ok = false;
        const uint rgb = digits.toUInt(&ok, 16);
        const CliParse parse = Parse("out.gif", {"--transparent", text});
        const bool taken = ok && digits.size() == 6;
        EXPECT_EQ(parse.outcome == CliParse::Outcome::Run, taken) << "[" << text << "] " << parse.error;
        if (taken && parse.job.settings.transparentColour) {
            // Web pages write RRGGBB; the settings keep 0x00BBGGRR.
            EXPECT_EQ(*parse.job.settings.transparentColour, (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16)
                << text;
        }
    }
}

TEST(OptionValuesTest, SizesAsTheirPatternReadThem)
{
    // The pattern the sizes were matched with, whose end allows a line feed.
    const QRegularExpression pattern(QStringLiteral("^([0-9]*\\.?[0-9]+)([km]?)$"),
                                     QRegularExpression::CaseInsensitiveOption);
    std::vector<std::string> texts(std::begin(kAwkward), std::end(kAwkward));
    for (const char* text : {"1.5k", "2M", "150K", "1.5q", ".5k", "5.k", "100k\n", "100k\n\n", "k", "0.0001k",
                             "9007199254740992", "9007199254740993", "8796093022208m", "1.5kk", "1..5"})
        texts.emplace_back(text);
    for (const std::string& text : texts) {
        const QRegularExpressionMatch match = pattern.match(QString::fromStdString(text));
        const QString unit = match.captured(2).toLower();
        const double scale = unit == QLatin1String("m") ? 1024.0 * 1024.0 : unit == QLatin1String("k") ? 1024.0 : 1.0;
        const double value = std::floor(match.captured(1).toDouble() * scale);
        const bool taken = match.hasMatch() && value >= 1 && value <= 9007199254740992.0;
        const CliParse parse = Parse("out.jpg", {"--max-bytes", text});
        EXPECT_EQ(parse.outcome == CliParse::Outcome::Run, taken) << "[" << text << "] " << parse.error;
        if (taken)
            EXPECT_EQ(parse.job.settings.maxBytes, static_cast<std::int64_t>(value)) << text;
    }
}

TEST(OptionValuesTest, ResizesAsTheirPatternReadThem)
{
    const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})[xX](\\d{1,9})$"));
    for (const char* text : {"10x5", "10X5", "10x5\n", "10x5\n\n", " 10x5", "10x5 ", "10*5", "1234567890x5",
                             "123456789x123456789", "x5", "10x", "\xd9\xa3x5", "10x5x3", "0x0", "+1x2", "007x08"}) {
        const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(text));
        const CliParse parse = Parse("out.jpg", {"--resize", text});
        EXPECT_EQ(parse.outcome == CliParse::Outcome::Run, match.hasMatch()) << "[" << text << "] " << parse.error;
        if (match.hasMatch()) {
            EXPECT_EQ(parse.job.settings.resizeWidth, match.captured(1).toInt()) << text;
            EXPECT_EQ(parse.job.settings.resizeHeight, match.captured(2).toInt()) << text;
        }
    }
}

TEST(OptionValuesTest, ListsTrimTheirItemsAsTheToolkitTrims)
{
    // Each width is trimmed of any white space the toolkit knows, then must
    // be digits only.
    for (const char* space : {" ", "\t", "\xc2\xa0", "\xe3\x80\x80", "\xe2\x80\x8b"}) {
        const std::string widths = std::string(space) + "40," + space + "80" + space;
        const CliParse parse = Parse("out/", {"--widths", widths});
        const bool trimmed = QString::fromUtf8(space).trimmed().isEmpty();
        EXPECT_EQ(parse.outcome == CliParse::Outcome::Run, trimmed) << "[" << space << "] " << parse.error;
        if (trimmed)
            EXPECT_EQ(parse.job.variants.widths, (std::vector<int>{40, 80}));
    }
}

TEST(OptionValuesTest, MessagesNameTheOptionAndTheTextAsGiven)
{
    EXPECT_EQ(Parse("out.jpg", {"--jobs", "65"}).error, "--jobs needs a whole number from 1 to 64, not \"65\".");
    EXPECT_EQ(Parse("out.jpg", {"--quality", "x%1"}).error, "--quality needs a whole number, not \"x%1\".");
    EXPECT_EQ(Parse("out.gif", {"--transparent", "#12345"}).error,
              "--transparent needs a colour as six hexadecimal digits (RRGGBB), not \"#12345\".");
    EXPECT_EQ(Parse("out.jpg", {"--lighting", "Up"}).error,
              "--lighting must be none, top-left, top-right, bottom-left, bottom-right, not \"Up\".");
    EXPECT_EQ(Parse("out.jpg", {"--max-bytes", "1.5q"}).error,
              "--max-bytes needs a size of at least one byte, such as 2000, 150k or 1.5M, not \"1.5q\".");
    EXPECT_EQ(Parse("out.jpg", {"--bogus"}).error, "Unknown option 'bogus'.");
}

} // namespace
} // namespace pictaron
