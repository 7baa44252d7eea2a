// The command line's JSON writer against the toolkit's compact JSON, which
// the reports were written with before: scripts compare the lines, so each
// string, number and object must come out byte for byte the same.
#include "cli/jsonwriter.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <bit>
#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace pictaron {
namespace {

std::string ToolkitJson(const QJsonArray& array)
{
    return QJsonDocument(array).toJson(QJsonDocument::Compact).toStdString();
}

// The writer's text of one value as the only item of an array.
std::string ToolkitString(const QString& text) { return ToolkitJson(QJsonArray{text}); }
std::string ToolkitNumber(double value) { return ToolkitJson(QJsonArray{value}); }

TEST(JsonWriterTest, StringsEscapedAsTheToolkitDoes)
{
    const char* const awkward[] = {
        "",
        "plain",
        "quote \" and backslash \\ and slash /",
        "tab\tnew line\ncarriage return\rbackspace\bform feed\f",
        "\x01\x02\x1f\x7f end",
        "Größe, café, 東京, 😀 and \xe2\x80\xa8 (line separator)",
        "%1 and {name}.{ext}",
    };
    for (const char* text : awkward)
        EXPECT_EQ(JsonArray().AppendText(text).Compact(), ToolkitString(QString::fromUtf8(text))) << text;
    // Every control character and the rest of ASCII, one string each.
    for (int c = 0; c < 0x80; ++c) {
        const std::string text(1, static_cast<char>(c));
        EXPECT_EQ(JsonArray().AppendText(text).Compact(), ToolkitString(QString::fromUtf8(text.data(), 1)))
            << "character " << c;
    }
    // A NUL inside a string.
    EXPECT_EQ(JsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
}

TEST(JsonWriterTest, BytesThatAreNoUtf8BecomeReplacementCharacters)
{
    // Names the system hands over may be any bytes; the toolkit read each
    // stray byte as one replacement character, and so does the writer.
    const char* const broken[] = {"\xff", "a\x80z", "\xc3", "\xc3(", "\xed\xa0\x80", "\xc0\xaf", "\xf5\x80\x80\x80"};
    for (const char* text : broken)
        EXPECT_EQ(JsonArray().AppendText(text).Compact(), ToolkitString(QString::fromUtf8(text))) << text;
    EXPECT_EQ(JsonString("a\x80z"), "\"a\xef\xbf\xbdz\"");
}

TEST(JsonWriterTest, NumbersWrittenAsTheToolkitDoes)
{
    const double chosen[] = {
        0, -0.0, 1, -1, 3.0, 0.5, 0.1, 2.5, 1.0 / 3, 0.9986162735371192, 659.0 / 1200, 659.0 / 193000,
        // Where the decimal form gives way to the exponent form.
        1e-04, 0.00012345, 1e-05, 8e-06, 1.36e-05, 7.555555555555556e-05, 0.001, 0.0012,
        1e15, 1e16, 1e17, 1e20, 1e21, 123456789012345678.0, 12345678901234567890.0, 1.5e300, 5e-324,
        // Whole numbers at the edge of a double's exact ones.
        9007199254740992.0, 9007199254740994.0, -9007199254740992.0, -9007199254740994.0, 4503599627370495.5,
        std::numeric_limits<double>::max(), std::numeric_limits<double>::min(), -2.5e-7,
        // No JSON number stands for these.
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()};
    for (const double value : chosen)
        EXPECT_EQ(JsonArray().AppendNumber(value).Compact(), ToolkitNumber(value)) << value;

    std::mt19937_64 random(20261210);
    // Any bit pattern: every magnitude and digit count.
    for (int i = 0; i < 20000; ++i) {
        const double value = std::bit_cast<double>(random());
        ASSERT_EQ(JsonArray().AppendNumber(value).Compact(), ToolkitNumber(value)) << value;
    }
    // Ratios of sizes like those the reports print, near every power of ten.
    std::uniform_int_distribution<std::int64_t> bytes(1, 1'000'000'000);
    for (int i = 0; i < 20000; ++i) {
        const double value = static_cast<double>(bytes(random)) / static_cast<double>(bytes(random))
            * std::pow(10.0, static_cast<int>(random() % 40) - 20);
        ASSERT_EQ(JsonArray().AppendNumber(value).Compact(), ToolkitNumber(value)) << value;
    }
}

TEST(JsonWriterTest, WholeNumbers)
{
    for (const std::int64_t value : {std::int64_t{0}, std::int64_t{-7}, std::int64_t{1} << 53,
                                     (std::int64_t{1} << 53) + 1, INT64_MAX, INT64_MIN})
        EXPECT_EQ(JsonArray().AppendWhole(value).Compact(), ToolkitJson(QJsonArray{qint64(value)})) << value;
}

TEST(JsonWriterTest, ObjectsSortTheirKeysAndNest)
{
    JsonObject inner;
    inner.SetWhole("zeta", 1).SetFlag("Alpha", true).SetFlag("alpha", false);
    JsonArray list;
    list.AppendText("x").AppendObject(JsonObject().SetNumber("s", 0.25)).AppendWhole(-3);
    JsonObject object;
    object.SetText("output", "b.jpg")
        .SetWhole("width", 640)
        .SetText("input", "a \"b\".png")
        .SetObject("download_seconds", inner)
        .SetArray("warnings", JsonArray(Texts{"one", "two"}))
        .SetArray("list", list)
        .SetArray("empty", JsonArray())
        .SetObject("nothing", JsonObject())
        .SetText("é", "after every ASCII key")
        .SetText("10", "digits first")
        .SetWhole("width", 320);  // replaces the first

    const QJsonObject expected{
        {"output", "b.jpg"},
        {"input", "a \"b\".png"},
        {"download_seconds", QJsonObject{{"zeta", 1}, {"Alpha", true}, {"alpha", false}}},
        {"warnings", QJsonArray{"one", "two"}},
        {"list", QJsonArray{"x", QJsonObject{{"s", 0.25}}, -3}},
        {"empty", QJsonArray()},
        {"nothing", QJsonObject()},
        {QString::fromUtf8("é"), "after every ASCII key"},
        {"10", "digits first"},
        {"width", 320},
    };
    EXPECT_EQ(object.Compact(), QJsonDocument(expected).toJson(QJsonDocument::Compact).toStdString());
    EXPECT_EQ(JsonObject().Compact(), "{}");
}

} // namespace
} // namespace pictaron
