// The text rules of the colour entry: what is a colour in each mode and how
// the comma and letter keys rewrite the text.
#include "colour/colourentrytext.h"

#include <gtest/gtest.h>

namespace pictaron {
namespace {

TEST(CheckEntryText, HexNeedsExactlySixCharacters)
{
    EXPECT_EQ(CheckEntryText(QStringLiteral("ff8000"), EntryMode::Hex), EntryCheck::Valid);
    EXPECT_EQ(CheckEntryText(QStringLiteral("FF80"), EntryMode::Hex), EntryCheck::Invalid);
    EXPECT_EQ(CheckEntryText(QStringLiteral("FF80001"), EntryMode::Hex), EntryCheck::Invalid);
}

TEST(CheckEntryText, DecimalNeedsThreeNumbersUpTo255)
{
    EXPECT_EQ(CheckEntryText(QStringLiteral("255,128,0"), EntryMode::Decimal), EntryCheck::Valid);
    // A comma at the very end adds no part.
    EXPECT_EQ(CheckEntryText(QStringLiteral("255,128,0,"), EntryMode::Decimal), EntryCheck::Valid);
    EXPECT_EQ(CheckEntryText(QStringLiteral("255,,0"), EntryMode::Decimal), EntryCheck::Invalid);
    EXPECT_EQ(CheckEntryText(QStringLiteral("255,128"), EntryMode::Decimal), EntryCheck::Invalid);
    EXPECT_EQ(CheckEntryText(QStringLiteral("1,2,3,4"), EntryMode::Decimal), EntryCheck::Invalid);
    EXPECT_EQ(CheckEntryText(QStringLiteral("255,128,300"), EntryMode::Decimal), EntryCheck::OutOfRange);
    EXPECT_EQ(CheckEntryText(QStringLiteral("256,x,0"), EntryMode::Decimal), EntryCheck::OutOfRange);
    EXPECT_EQ(CheckEntryText(QStringLiteral("x,256,0"), EntryMode::Decimal), EntryCheck::Invalid);
}

TEST(HexEntryToDecimal, ConvertsWholePairsOnly)
{
    EXPECT_EQ(HexEntryToDecimal(QStringLiteral("FF8000")), QStringLiteral("255,128,0"));
    EXPECT_EQ(HexEntryToDecimal(QStringLiteral("ff80")), QStringLiteral("255,128"));
    EXPECT_EQ(HexEntryToDecimal(QStringLiteral("FF80A")), QStringLiteral("255,128"));
    EXPECT_EQ(HexEntryToDecimal(QStringLiteral("F")), QString());
    // All digits: the user is typing a decimal number.
    EXPECT_EQ(HexEntryToDecimal(QStringLiteral("255")), QStringLiteral("255"));
}

TEST(DecimalEntryToHex, DropsCommasAndKeepsFiveCharacters)
{
    EXPECT_EQ(DecimalEntryToHex(QStringLiteral("12,34")), QStringLiteral("1234"));
    EXPECT_EQ(DecimalEntryToHex(QStringLiteral("255,128,0")), QStringLiteral("25512"));
}

TEST(EntryTextAllowed, OnlyWhatTypingCouldMake)
{
    EXPECT_TRUE(EntryTextAllowed(QStringLiteral("ff8000"), EntryMode::Hex));
    EXPECT_TRUE(EntryTextAllowed(QStringLiteral("#FF8000"), EntryMode::Hex));
    EXPECT_TRUE(EntryTextAllowed(QStringLiteral("FF.000"), EntryMode::Hex)); // a full stop always passes
    EXPECT_TRUE(EntryTextAllowed(QStringLiteral("255,128,0"), EntryMode::Hex));
    EXPECT_FALSE(EntryTextAllowed(QStringLiteral("FF80001"), EntryMode::Hex));
    EXPECT_FALSE(EntryTextAllowed(QStringLiteral("zzzzzz"), EntryMode::Hex));
    EXPECT_FALSE(EntryTextAllowed(QStringLiteral("##FF800"), EntryMode::Hex));
    EXPECT_FALSE(EntryTextAllowed(QStringLiteral("ff,80,00"), EntryMode::Hex));
    EXPECT_TRUE(EntryTextAllowed(QStringLiteral("2551280"), EntryMode::Decimal)); // commas being edited
    EXPECT_TRUE(EntryTextAllowed(QStringLiteral("FF8000"), EntryMode::Decimal));
    EXPECT_FALSE(EntryTextAllowed(QStringLiteral("1,2,x"), EntryMode::Decimal));
    EXPECT_FALSE(EntryTextAllowed(QStringLiteral("1 2 3"), EntryMode::Decimal));
}

TEST(EntryModeOfText, CommaMakesDecimalLetterMakesHex)
{
    EXPECT_EQ(EntryModeOfText(QStringLiteral("1,2"), EntryMode::Hex), EntryMode::Decimal);
    EXPECT_EQ(EntryModeOfText(QStringLiteral("FF8000"), EntryMode::Decimal), EntryMode::Hex);
    EXPECT_EQ(EntryModeOfText(QStringLiteral("123"), EntryMode::Decimal), EntryMode::Decimal);
    EXPECT_EQ(EntryModeOfText(QStringLiteral("123"), EntryMode::Hex), EntryMode::Hex);
}

} // namespace
} // namespace pictaron
