// The engine's text helpers against the toolkit's own string functions, which
// the engine's texts were written with before: the same inputs must give the
// same texts.
#include "components/plaintext.h"
#include "components/qtbridge.h"

#include <gtest/gtest.h>

#include <QString>

#include <random>

namespace pictaron {
namespace {

TEST(PlainTextTest, SubstituteMatchesMultiArgumentReplacement)
{
    // The engine's messages number their markers from %1 up, where both agree.
    const char* const patterns[] = {"%1 by %2 pixels", "%2 before %1", "%1 is 100%2", "%1%2%1", "é %1 ü %2"};
    for (const char* pattern : patterns) {
        const QString expected = QString::fromUtf8(pattern).arg(QStringLiteral("a%2"), QStringLiteral("ß"));
        EXPECT_EQ(Substitute(pattern, "a%2", "ß"), expected.toStdString()) << pattern;
    }
    // Markers stand for their own argument, even past a missing one.
    EXPECT_EQ(Substitute("%3 is missing: %1, %0, 100%", "x", "y"), "%3 is missing: x, %0, 100%");
    EXPECT_EQ(Substitute("%1 by %2 pixels", 640, std::int64_t{-5000000000}), "640 by -5000000000 pixels");
    EXPECT_EQ(Substitute("%1 of %2", std::string("one"), std::string_view("two")), "one of two");
}

TEST(PlainTextTest, NumbersAsTheToolkitWritesThem)
{
    for (const std::int64_t value : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1} << 62, INT64_MIN})
        EXPECT_EQ(NumberText(value), QString::number(value).toStdString());
    // Values away from exact halves round alike in both.
    for (const double value : {0.0, 1.0 / 3, 2.675001, -7.5e-3, 123456.789, 1e300})
        for (int decimals : {0, 1, 2, 6})
            EXPECT_EQ(FixedText(value, decimals), QString::number(value, 'f', decimals).toStdString())
                << value << " " << decimals;
    EXPECT_EQ(FixedText(0.125, 2), "0.12");
}

TEST(PlainTextTest, CaseAndWhiteSpace)
{
    EXPECT_EQ(AsciiLower("JPEG.Jpg é"), "jpeg.jpg é");
    EXPECT_TRUE(EqualsNoCase("PnG", "png"));
    EXPECT_FALSE(EqualsNoCase("png", "pn"));
    EXPECT_FALSE(EqualsNoCase("É", "é"));  // not ASCII: left as it is
    EXPECT_TRUE(StartsWithNoCase("--Format=gif", "--format"));
    EXPECT_TRUE(EndsWithNoCase("photo.JPEG", ".jpeg"));
    EXPECT_FALSE(EndsWithNoCase("g", ".jpeg"));
    for (const char* text : {"", " ", "\t a b \r\n", "x", "  x", "x\v\f"})
        EXPECT_EQ(std::string(Trimmed(text)), QString::fromUtf8(text).trimmed().toStdString()) << text;
}

TEST(PlainTextTest, TrimmedUnicodeTrimsWhatTheToolkitTrims)
{
    // Every character up to U+3000 between letters, alone and at both ends:
    // the toolkit's string is the reference for which ones are white space.
    for (char32_t code = 1; code <= 0x3000; ++code) {
        const QString character = QString::fromUcs4(&code, 1);
        for (const QString& text : {character, character + QStringLiteral("a b") + character + character,
                                    QStringLiteral("a") + character + QStringLiteral("b")}) {
            const std::string utf8 = text.toStdString();
            ASSERT_EQ(std::string(TrimmedUnicode(utf8)), text.trimmed().toStdString()) << "U+" << std::hex
                                                                                          << static_cast<int>(code);
        }
    }
    EXPECT_EQ(TrimmedUnicode("\xc2\xa0\xe3\x80\x80 x\xe2\x80\x8b\xe2\x80\xa9"), "x\xe2\x80\x8b");
}

TEST(PlainTextTest, SplitKeepsEmptyPiecesAsTheToolkitDoes)
{
    for (const char* text : {"", ",", "a", "a,,b", ",a,", "a,b,c"}) {
        EXPECT_EQ(ToQStringList(SplitAt(text, ',')), QString::fromUtf8(text).split(QLatin1Char(','))) << text;
        EXPECT_EQ(JoinTexts(SplitAt(text, ','), ","), text);
    }
}

TEST(PlainTextTest, WholeNumbersAsTheToolkitReadsThem)
{
    const char* const texts[] = {"0", "42", " -17 ", "+8", "\t99\n", "", " ", "+", "-", "+-5", "-+5", "1 2", "1e3",
                                 "0x10", "12a", "9223372036854775807", "-9223372036854775808",
                                 "9223372036854775808", "007"};
    for (const char* text : texts) {
        bool ok = false;
        const qlonglong expected = QString::fromUtf8(text).toLongLong(&ok);
        const std::optional<std::int64_t> parsed = ParseWholeNumber(text);
        ASSERT_EQ(parsed.has_value(), ok) << '"' << text << '"';
        if (ok) {
            EXPECT_EQ(*parsed, expected) << text;
        }
    }
}

TEST(PlainTextTest, Utf8IsRepairedAsTheToolkitReadsIt)
{
    // Every kind of damage: stray continuations, cut sequences, overlong
    // forms, surrogates, values past U+10FFFF, a byte order mark first and
    // later, and bytes that are never UTF-8.
    std::vector<std::string> texts = {"",
                                      "plain",
                                      "\xEF\xBB\xBF" "first",
                                      "a\xEF\xBB\xBFlater",
                                      "\xEF\xBB\xBF",
                                      "\xC3\xA9t\xC3",
                                      "\x80\xBF",
                                      "\xC0\xAF\xC1\xBF",
                                      "\xE0\x80\xAF\xE0\xA0\x80",
                                      "\xED\xA0\x80\xED\x9F\xBF",
                                      "\xF0\x8F\xBF\xBF\xF0\x90\x80\x80",
                                      "\xF4\x8F\xBF\xBF\xF4\x90\x80\x80\xF5\x80",
                                      "\xE2\x82x\xE2\x82",
                                      "\xEF\xBF\xBE\xEF\xBF\xBF",
                                      std::string("nul\0inside", 11)};
    // And random bytes, most of them not ASCII, so that sequences start,
    // break and end everywhere.
    std::mt19937 random(7);
    for (int n = 0; n < 3000; ++n) {
        std::string text(random() % 12, '\0');
        for (char& c : text)
            c = static_cast<char>(random() % 4 == 0 ? random() % 0x80 : 0x80 + random() % 0x80);
        if (n % 3 == 0)
            text.insert(0, "\xEF\xBB\xBF");
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const QByteArray toolkit = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toUtf8();
        EXPECT_EQ(ValidUtf8(text), toolkit.toStdString()) << QByteArray::fromStdString(text).toHex().toStdString();
    }
}

} // namespace
} // namespace pictaron
