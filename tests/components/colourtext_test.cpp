#include "components/colourtext.h"
#include "components/errors.h"

#include <gtest/gtest.h>

namespace pictaron {
namespace {

constexpr TColor Rgb(int r, int g, int b) { return TColor(r) | TColor(g) << 8 | TColor(b) << 16; }

TEST(ColourText, WritesWebHexAndDecimalForms)
{
    EXPECT_EQ(ColorToHexText(Rgb(255, 128, 0)), QStringLiteral("FF8000"));
    EXPECT_EQ(ColorToDecimalText(Rgb(255, 128, 0)), QStringLiteral("255,128,0"));
    EXPECT_EQ(ColorToHexText(Rgb(1, 2, 171)), QStringLiteral("0102AB"));
}

TEST(ColourText, ReadsBothFormsBack)
{
    for (TColor colour : {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(18, 52, 86), Rgb(255, 128, 0)}) {
        EXPECT_EQ(HexTextToColor(ColorToHexText(colour)), colour);
        EXPECT_EQ(DecimalTextToColor(ColorToDecimalText(colour)), colour);
    }
    EXPECT_EQ(HexTextToColor(QStringLiteral("ff8000")), Rgb(255, 128, 0));
    EXPECT_EQ(DecimalTextToColor(QStringLiteral("1, 2, 3, 4")), Rgb(1, 2, 3));
}

TEST(ColourText, RefusesTextThatIsNoColour)
{
    EXPECT_THROW(HexTextToColor(QStringLiteral("FF80")), PictaronError);
    EXPECT_THROW(HexTextToColor(QStringLiteral("GG8000")), PictaronError);
    EXPECT_THROW(HexTextToColor(QStringLiteral("-18000")), PictaronError);
    EXPECT_THROW(DecimalTextToColor(QStringLiteral("1,2")), PictaronError);
    EXPECT_THROW(DecimalTextToColor(QStringLiteral("1,x,3")), PictaronError);
    EXPECT_THROW(DecimalTextToColor(QStringLiteral("256,0,0")), PictaronError);
}

} // namespace
} // namespace pictaron
