// The WebP step of a run: every file read back by dwebp and compared with
// the finished picture.
#include "formats/webpresult.h"
#include "components/qtbridge.h"

#include "app/conversion.h"
#include "components/errors.h"
#include "effects/alpha.h"
#include "effects/pixels.h"
#include "encodercheck.h"
#include "formats/alphaplane.h"
#include "testpictures.h"

#include <gtest/gtest.h>


using namespace pictaron;
using namespace pictaron::encodercheck;

namespace {

class WebpStepTest : public ::testing::Test {
protected:
    EncodedResult Webp(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                       bool shown = true)
    {
        RunProgress progress(&recorder_);
        RunContext context{progress, cancel_, shown ? ToUtf8(folder_.filePath(QStringLiteral("work.jpg"))) : std::string()};
        EncodedResult result = EncodeWebpResult(working, alpha, settings, context);
        barText_ = ToQString(progress.text());
        return result;
    }
    static ConversionSettings Settings(bool lossless, int quality = 80)
    {
        ConversionSettings settings;
        settings.format = OutputFormat::Webp;
        settings.webpLossless = lossless;
        settings.webpQuality = quality;
        return settings;
    }
    // dwebp's RGBA of the result's file.
    QByteArray Decode(const EncodedResult& result, const QString& name)
    {
        EXPECT_EQ(result.size, result.bytes.size());
        EXPECT_TRUE(result.bytes.view().starts_with("RIFF") && result.bytes.view().substr(8, 4) == "WEBP");
        int width = 0;
        int height = 0;
        const QByteArray rgba = DecodeWebp(WriteFile(folder_, name, ToQByteArray(result.bytes.view())), width, height);
        EXPECT_EQ(Size(width, height), result.dimensions);
        return rgba;
    }

    QTemporaryDir folder_;
    Recorder recorder_;
    CancelFlag cancel_;
    QString barText_;
};

} // namespace

TEST_F(WebpStepTest, LosslessIsTheFinishedPictureExactly)
{
    const Bitmap working = testpictures::PatternPicture(91, 57);
    const EncodedResult result = Webp(working, Bitmap(), Settings(true));
    EXPECT_TRUE(Decode(result, QStringLiteral("lossless.webp")) == RgbaBytes(working));
    EXPECT_EQ(result.bytes.view().substr(12, 4), "VP8L");
    EXPECT_EQ(result.dimensions, Size(91, 57));
    EXPECT_EQ(result.description, "91 by 57 pixels");
    ASSERT_EQ(result.picture.format(), Bitmap::Format_BGR888);
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(working));
    EXPECT_TRUE(barText_.isEmpty());
    EXPECT_TRUE(recorder_.captions.contains(QStringLiteral("Saving")));
}

TEST_F(WebpStepTest, LosslessKeepsTransparencyAndTheColoursUnderItExactly)
{
    const AlphaPicture drawn = DrawAlphaPicture(77, 52);
    const EncodedResult result = Webp(drawn.working, drawn.alpha, Settings(true));
    EXPECT_TRUE(Decode(result, QStringLiteral("alpha.webp")) == RgbaBytes(drawn.working, drawn.alpha));
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(FlattenOntoWhite(drawn.working, drawn.alpha)));
}

TEST_F(WebpStepTest, LossyAtQuality80IsCloseToThePhotograph)
{
    const Bitmap photo = SharedWorkingBitmap(QStringLiteral("small-photo.png"));
    if (photo.isNull())
        GTEST_SKIP() << "the shared test pictures are not here";
    const EncodedResult result = Webp(photo, Bitmap(), Settings(false, 80));
    const QByteArray rgba = Decode(result, QStringLiteral("lossy.webp"));
    EXPECT_EQ(result.bytes.view().substr(12, 4), "VP8 ");
    const double psnr = Psnr(ColoursOf(rgba), RgbBytes(photo));
    EXPECT_GT(psnr, 30.0);
    EXPECT_LT(psnr, 60.0);  // lossy after all
    // Far smaller than the pixels.
    EXPECT_LT(result.size, 512 * 512 * 3 / 8);
    // The picture shown is the file as dwebp decodes it.
    ASSERT_EQ(result.picture.format(), Bitmap::Format_BGR888);
    EXPECT_TRUE(RgbBytes(result.picture) == ColoursOf(rgba));
}

TEST_F(WebpStepTest, QualityAndEffortAreTheEncoders)
{
    const Bitmap photo = SharedWorkingBitmap(QStringLiteral("small-photo.png"));
    if (photo.isNull())
        GTEST_SKIP() << "the shared test pictures are not here";
    const EncodedResult low = Webp(photo, Bitmap(), Settings(false, 20), false);
    const EncodedResult high = Webp(photo, Bitmap(), Settings(false, 95), false);
    EXPECT_LT(low.size, high.size);
    EXPECT_LT(Psnr(ColoursOf(Decode(low, QStringLiteral("low.webp"))), RgbBytes(photo)),
              Psnr(ColoursOf(Decode(high, QStringLiteral("high.webp"))), RgbBytes(photo)));
    ConversionSettings fast = Settings(false, 80);
    fast.webpEffort = 0;
    ConversionSettings slow = Settings(false, 80);
    slow.webpEffort = 6;
    EXPECT_NE(Webp(photo, Bitmap(), fast, false).bytes, Webp(photo, Bitmap(), slow, false).bytes);
    // Out of range settings are held to the encoder's.
    ConversionSettings wild = Settings(false, 400);
    wild.webpEffort = 99;
    ConversionSettings top = Settings(false, 100);
    top.webpEffort = 6;
    EXPECT_EQ(Webp(photo, Bitmap(), wild, false).bytes, Webp(photo, Bitmap(), top, false).bytes);
}

TEST_F(WebpStepTest, LossyKeepsTransparency)
{
    const AlphaPicture drawn = DrawAlphaPicture(96, 64);
    const EncodedResult result = Webp(drawn.working, drawn.alpha, Settings(false, 80));
    const QByteArray rgba = Decode(result, QStringLiteral("lossy-alpha.webp"));
    // The alpha plane is compressed losslessly.
    const QByteArray alpha = AlphaOf(rgba);
    const QByteArray expected = AlphaOf(RgbaBytes(drawn.working, drawn.alpha));
    EXPECT_GT(Psnr(alpha, expected), 45.0);
    // Shown on white: the transparent rows white.
    ASSERT_EQ(result.picture.format(), Bitmap::Format_BGR888);
    EXPECT_EQ(RowPixels(result.picture, 2)[10], (RGBTriple{255, 255, 255}));
    // The picture shown is dwebp's decoding on white.
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(RgbaShownOnWhite(RgbaPicture(rgba, 96, 64))));
}

TEST_F(WebpStepTest, WithoutAWorkFileALossyFileIsNotDecodedAgain)
{
    const Bitmap working = testpictures::PatternPicture(40, 30);
    EXPECT_TRUE(Webp(working, Bitmap(), Settings(false), false).picture.isNull());
    EXPECT_FALSE(Webp(working, Bitmap(), Settings(true), false).picture.isNull());
}

TEST_F(WebpStepTest, CancelDuringTheEncoderEndsSilently)
{
    const Bitmap photo = SharedWorkingBitmap(QStringLiteral("small-photo.png"));
    if (photo.isNull())
        GTEST_SKIP() << "the shared test pictures are not here";
    recorder_.cancel = &cancel_;
    recorder_.cancelAt = QStringLiteral("Saving");
    recorder_.cancelPercent = 1;
    for (const bool lossless : {false, true}) {
        SCOPED_TRACE(lossless);
        cancel_.Reset();
        recorder_.captions.clear();
        EXPECT_THROW(Webp(photo, Bitmap(), Settings(lossless)), RunCancelled);
        EXPECT_EQ(recorder_.captions.back(), QString());
        EXPECT_TRUE(barText_.isEmpty());
    }
}

TEST_F(WebpStepTest, ASideAbove16383PixelsIsRefused)
{
    try {
        Webp(testpictures::PatternPicture(16384, 2), Bitmap(), Settings(false));
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()),
                  QStringLiteral("The WebP file could not be written: a WebP picture can be at most 16383 by 16383 "
                                 "pixels."));
    }
}

TEST_F(WebpStepTest, ARunMakesAWebpResult)
{
    RunProgress progress;
    RunContext context{progress, cancel_, std::string()};
    const EncodedResult result = RunConversion(testpictures::PatternPicture(64, 48), Settings(true), context);
    EXPECT_EQ(result.format, OutputFormat::Webp);
    EXPECT_TRUE(Decode(result, QStringLiteral("run.webp")) == RgbaBytes(testpictures::PatternPicture(64, 48)));
}

TEST_F(WebpStepTest, ARunKeepsTheSourcesTransparency)
{
    const AlphaPicture drawn = DrawAlphaPicture(72, 40);
    const Bitmap flattened = FlattenOntoWhite(drawn.working, drawn.alpha);
    RunProgress progress;
    RunContext context{progress, cancel_, std::string()};
    const EncodedResult result = RunConversion(flattened, Settings(true), context, drawn.alpha);
    const QByteArray rgba = Decode(result, QStringLiteral("run-alpha.webp"));
    EXPECT_TRUE(AlphaOf(rgba) == AlphaOf(RgbaBytes(drawn.working, drawn.alpha)));
    EXPECT_LE(LargestDifference(RgbBytes(RgbaShownOnWhite(RgbaPicture(rgba, 72, 40))), RgbBytes(flattened)), 1);
}
