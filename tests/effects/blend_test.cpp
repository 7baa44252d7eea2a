#include "effects/blend.h"
#include "components/qtbridge.h"

#include "components/errors.h"
#include "effects/geometry.h"
#include "effectpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pictaron;
using namespace pictaron::effecttests;

TEST(Blend, BiasGivesTheWeightOfTheSecondPicture)
{
    EXPECT_EQ(BlendFactor(-100), 0.0f);
    EXPECT_EQ(BlendFactor(0), 0.5f);
    EXPECT_EQ(BlendFactor(100), 1.0f);
    EXPECT_EQ(BlendFactor(-60), 0.2f);
    // The track bar cannot go further.
    EXPECT_EQ(BlendFactor(250), 1.0f);
    EXPECT_EQ(BlendFactor(-250), 0.0f);
}

TEST(Blend, MixesEachChannelWithHalvesToEven)
{
    const Bitmap black = Filled(3, 2, Grey(0));
    const Bitmap white = Filled(3, 2, Grey(255));
    EXPECT_EQ(BlendBitmaps(black, white, 0.5f), Filled(3, 2, Grey(128)));  // 127.5 → 128
    EXPECT_EQ(BlendBitmaps(Filled(1, 1, Grey(1)), Filled(1, 1, Grey(0)), 0.5f), Filled(1, 1, Grey(1)));  // 1 + Round(-0.5)
    const Bitmap first = Noise(7, 5, 1);
    const Bitmap second = Noise(9, 6, 2);
    EXPECT_EQ(BlendBitmaps(first, second, 0.0f), first);
    EXPECT_EQ(BlendBitmaps(first, second, 1.0f), ImageView(second).copy(0, 0, 7, 5));
}

TEST(Blend, StretchTakesThePixelUnderEachCentre)
{
    const Bitmap small = Noise(2, 2);
    const Bitmap large = StretchBitmap(small, Size(4, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(large, x, y), Pixel(small, x / 2, y / 3)) << x << "," << y;
    // Shrinking three columns to two takes the outer ones; a different aspect
    // ratio is distorted to the exact size.
    const Bitmap wide = Noise(3, 1);
    const Bitmap narrow = StretchBitmap(wide, Size(2, 5));
    ASSERT_EQ(narrow.size(), Size(2, 5));
    EXPECT_EQ(Pixel(narrow, 0, 4), Pixel(wide, 0, 0));
    EXPECT_EQ(Pixel(narrow, 1, 4), Pixel(wide, 2, 0));
}

class BlendStepTest : public ::testing::Test {
protected:
    QString Save(const Bitmap& picture, const QString& name)
    {
        const QString path = folder_.filePath(name);
        EXPECT_TRUE(ImageView(picture).save(path));
        return path;
    }
    QTemporaryDir folder_;
};

TEST_F(BlendStepTest, MissingFileIsSkippedSilently)
{
    const Bitmap working = Noise(10, 10);
    EXPECT_EQ(BlendStep(working, ToUtf8(folder_.filePath(QStringLiteral("nothing.png"))), 0, true), working);
    EXPECT_EQ(BlendStep(working, "", 0, true), working);
    // A link to nothing is no file either.
    const QString dangling = folder_.filePath(QStringLiteral("dangling.png"));
    ASSERT_TRUE(QFile::link(folder_.filePath(QStringLiteral("gone.png")), dangling));
    EXPECT_EQ(BlendStep(working, ToUtf8(dangling), 0, true), working);
}

TEST_F(BlendStepTest, AFolderOfThatNameIsThereButNoPicture)
{
    const QString folder = folder_.filePath(QStringLiteral("folder.png"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_THROW(BlendStep(Noise(10, 10), ToUtf8(folder), 0, true), PictaronError);
}

TEST_F(BlendStepTest, UnreadableFileStopsWithTheLoadersMessage)
{
    const QString path = folder_.filePath(QStringLiteral("not-a-picture.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("This is a note, not a picture.\n");
    file.close();
    try {
        BlendStep(Noise(10, 10), ToUtf8(path), 0, true);
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_TRUE(ToQString(error.message()).startsWith(QStringLiteral("Cannot open"))) << error.what();
    }
}

TEST_F(BlendStepTest, StretchOrTileThenMix)
{
    const Bitmap working = Filled(8, 6, Grey(0));
    Bitmap second = Filled(2, 2, Grey(255));
    RowPixels(second, 0)[0] = Grey(0);
    const QString path = Save(second, QStringLiteral("second.png"));

    // Bias 100 shows the fitted picture itself.
    EXPECT_EQ(BlendStep(working, ToUtf8(path), 100, true), StretchBitmap(second, Size(8, 6)));
    EXPECT_EQ(BlendStep(working, ToUtf8(path), 100, false), TileBitmap(Size(8, 6), second));
    // Bias 0 mixes half and half; bias -100 leaves the working bitmap.
    const Bitmap half = BlendStep(working, ToUtf8(path), 0, false);
    EXPECT_EQ(Pixel(half, 0, 0), Grey(0));
    EXPECT_EQ(Pixel(half, 1, 0), Grey(128));
    EXPECT_EQ(Pixel(half, 2, 0), Grey(0));
    EXPECT_EQ(BlendStep(working, ToUtf8(path), -100, true), working);
}
