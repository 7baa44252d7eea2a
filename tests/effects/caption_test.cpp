#include "effects/caption.h"
#include "effects/captiondrawing.h"

#include "components/errors.h"
#include "effectpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

// The rows and columns where two pictures of the same width differ, over the
// rows both have.
struct Changes {
    int top = -1, bottom = -1, left = -1, right = -1;
    bool any() const { return top >= 0; }
};

Changes Compare(const Bitmap& before, const Bitmap& after)
{
    Changes changes;
    for (int y = 0; y < std::min(before.height(), after.height()); ++y)
        for (int x = 0; x < before.width(); ++x) {
            if (Pixel(before, x, y) == Pixel(after, x, y))
                continue;
            if (changes.top < 0)
                changes.top = y, changes.left = x, changes.right = x;
            changes.bottom = y;
            changes.left = std::min(changes.left, x);
            changes.right = std::max(changes.right, x);
        }
    return changes;
}

class CaptionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app_ = MakeGuiApplication();
        if (QFontDatabase::families().isEmpty())
            GTEST_SKIP() << "no fonts installed";
        font_.family = "DejaVu Sans";
        font_.pixelHeight = 13;
        font_.colour = clBlack;
        th_ = QFontMetrics(CaptionQFont(font_)).height();
    }

    std::unique_ptr<QGuiApplication> app_;
    CaptionFont font_;
    int th_ = 0;
    const Bitmap white_ = Filled(100, 50, Grey(255));
};

} // namespace

TEST_F(CaptionTest, CaptionStripGrowsThePictureByTextHeightPlusFour)
{
    const Bitmap picture = Noise(100, 50);
    const Bitmap captioned = AddCaption(picture, "Hello", font_, CaptionLocation::Caption);
    ASSERT_EQ(captioned.size(), Size(100, 50 + th_ + 4));
    EXPECT_EQ(ImageView(captioned).copy(0, 0, 100, 50), picture);

    // The strip is white but for the text, which starts at row 52.
    const Bitmap strip = ToBitmap(ImageView(captioned).copy(0, 50, 100, th_ + 4));
    const Changes text = Compare(Filled(100, th_ + 4, Grey(255)), strip);
    ASSERT_TRUE(text.any());
    EXPECT_GE(text.top, 2);
    EXPECT_LT(text.bottom, 2 + th_);
    // Centred: the margins differ by no more than the glyphs' side bearings.
    EXPECT_LE(std::abs(text.left - (99 - text.right)), 4);
}

TEST_F(CaptionTest, LocationsOnThePicture)
{
    const std::string text = "Mg";
    const Changes top = Compare(white_, AddCaption(white_, text, font_, CaptionLocation::Top));
    ASSERT_TRUE(top.any());
    EXPECT_GE(top.top, 2);
    EXPECT_LT(top.bottom, 2 + th_);
    // No choice in the list places the text as Top does.
    EXPECT_EQ(AddCaption(white_, text, font_, CaptionLocation::NotSelected),
              AddCaption(white_, text, font_, CaptionLocation::Top));

    const Changes centre = Compare(white_, AddCaption(white_, text, font_, CaptionLocation::Center));
    ASSERT_TRUE(centre.any());
    EXPECT_GE(centre.top, 25 - th_ / 2);
    EXPECT_LT(centre.bottom, 25 - th_ / 2 + th_);

    const Changes bottom = Compare(white_, AddCaption(white_, text, font_, CaptionLocation::Bottom));
    ASSERT_TRUE(bottom.any());
    EXPECT_GE(bottom.top, 50 - th_ - 4);
    EXPECT_LT(bottom.bottom, 50 - 4);
}

TEST_F(CaptionTest, TextInTheFontsColour)
{
    font_.colour = 0x0000FF;  // red
    const Bitmap captioned = AddCaption(white_, "Hello", font_, CaptionLocation::Top);
    bool red = false;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            red = red || Pixel(captioned, x, y) == RGBTriple{0, 0, 255};
    EXPECT_TRUE(red);
}

// The caption's text reaches the toolkit as the UTF-8 it is: letters beyond
// ASCII come out as Qt draws them itself, not as the bytes of their encoding.
TEST_F(CaptionTest, TextBeyondAsciiIsDrawnAsWritten)
{
    const std::string text = "Größe €";
    const Bitmap captioned = AddCaption(white_, text, font_, CaptionLocation::Top);
    EXPECT_EQ(captioned, DrawCaption(white_, QString::fromUtf8("Größe €"), font_, ColorToTriple(font_.colour),
                                     CaptionLocation::Top));
    EXPECT_NE(captioned, AddCaption(white_, "Grosse E", font_, CaptionLocation::Top));
}

TEST_F(CaptionTest, BoldAndItalicAreTheFacesOfTheFamily)
{
    // The same text in each style, against Qt's own drawing of that face.
    const std::string text = "Hello";
    const auto ink = [](const Bitmap& picture) {
        int dark = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                dark += Pixel(picture, x, y).green < 128;
        return dark;
    };
    const Bitmap regular = AddCaption(white_, text, font_, CaptionLocation::Top);
    CaptionFont bold = font_;
    bold.bold = true;
    CaptionFont italic = font_;
    italic.italic = true;
    const Bitmap boldPicture = AddCaption(white_, text, bold, CaptionLocation::Top);
    const Bitmap italicPicture = AddCaption(white_, text, italic, CaptionLocation::Top);
    EXPECT_GT(ink(boldPicture), ink(regular) * 11 / 10);  // bold strokes are wider
    EXPECT_NE(italicPicture, regular);
    EXPECT_NE(italicPicture, boldPicture);
    EXPECT_TRUE(CaptionQFont(bold).bold());
    EXPECT_TRUE(CaptionQFont(italic).italic());
    EXPECT_FALSE(CaptionQFont(font_).bold() || CaptionQFont(font_).italic());
}

TEST_F(CaptionTest, EmptyTextDrawsNothingButTheStripStillGrows)
{
    EXPECT_EQ(AddCaption(white_, "", font_, CaptionLocation::Top), white_);
    const Bitmap picture = Noise(100, 50);
    const Bitmap captioned = AddCaption(picture, "", font_, CaptionLocation::Caption);
    ASSERT_EQ(captioned.size(), Size(100, 50 + th_ + 4));
    EXPECT_EQ(ImageView(captioned).copy(0, 50, 100, th_ + 4), Filled(100, th_ + 4, Grey(255)));
}

TEST_F(CaptionTest, TextWiderThanThePictureIsCutAtBothSides)
{
    const Bitmap narrow = Filled(20, 30, Grey(255));
    const Bitmap captioned = AddCaption(narrow, "HHHHHHHHHHHHHHHHHHHH", font_,
                                        CaptionLocation::Top);
    ASSERT_EQ(captioned.size(), narrow.size());
    const Changes text = Compare(narrow, captioned);
    ASSERT_TRUE(text.any());
    EXPECT_LE(text.left, 1);
    EXPECT_GE(text.right, 18);
}

TEST_F(CaptionTest, MissingFamilyFallsBackToAnInstalledOne)
{
    font_.family = "MS Sans Serif";
    font_.pixelHeight = 11;
    EXPECT_TRUE(Compare(white_, AddCaption(white_, "Hello", font_, CaptionLocation::Top)).any());
}

TEST(CaptionWithoutGui, RefusedWithAMessage)
{
    if (QCoreApplication::instance())
        GTEST_SKIP() << "an application object already exists";
    EXPECT_THROW(AddCaption(Filled(10, 10, Grey(0)), "x", CaptionFont{}, CaptionLocation::Top),
                 PictaronError);
}
