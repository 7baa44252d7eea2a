// The AVIF step of a run: every file read back by avifdec (to PNG, then
// Pillow) and compared with the finished picture.
#include "formats/avifresult.h"
#include "components/qtbridge.h"

#include "app/conversion.h"
#include "components/errors.h"
#include "effects/alpha.h"
#include "effects/pixels.h"
#include "encodercheck.h"
#include "formats/alphaplane.h"
#include "testpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace pictaron;
using namespace pictaron::encodercheck;

namespace {

class AvifStepTest : public ::testing::Test {
protected:
    EncodedResult Avif(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings,
                       bool shown = true)
    {
        RunProgress progress(&recorder_);
        RunContext context{progress, cancel_, shown ? ToUtf8(folder_.filePath(QStringLiteral("work.jpg"))) : std::string()};
        EncodedResult result = EncodeAvifResult(working, alpha, settings, context);
        barText_ = ToQString(progress.text());
        return result;
    }
    static ConversionSettings Settings(bool lossless, int quality = 60)
    {
        ConversionSettings settings;
        settings.format = OutputFormat::Avif;
        settings.avifLossless = lossless;
        settings.avifQuality = quality;
        settings.avifSpeed = 8;  // the tests' pictures are small, but keep them quick
        return settings;
    }
    // avifdec's RGBA of the result's file.
    QByteArray Decode(const EncodedResult& result, const QString& name)
    {
        EXPECT_EQ(result.size, result.bytes.size());
        EXPECT_EQ(result.bytes.view().substr(4, 8), "ftypavif");
        const PillowPicture read = DecodeAvif(WriteFile(folder_, name, ToQByteArray(result.bytes.view())));
        EXPECT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
        EXPECT_EQ(Size(read.width, read.height), result.dimensions);
        return read.pixels;
    }
    QString Info(const EncodedResult& result, const QString& name)
    {
        return AvifInfo(WriteFile(folder_, name, ToQByteArray(result.bytes.view())));
    }

    QTemporaryDir folder_;
    Recorder recorder_;
    CancelFlag cancel_;
    QString barText_;
};

} // namespace

TEST(AvifQuantizer, QualityMapsAsAvifencDoes)
{
    EXPECT_EQ(AvifQuantizer(100), 0);
    EXPECT_EQ(AvifQuantizer(0), 63);
    EXPECT_EQ(AvifQuantizer(60), 25);
    EXPECT_EQ(AvifQuantizer(80), 13);
    EXPECT_EQ(AvifQuantizer(50), 32);
    EXPECT_EQ(AvifQuantizer(99), 1);
    EXPECT_EQ(AvifQuantizer(-5), 63);
    EXPECT_EQ(AvifQuantizer(250), 0);
}

TEST_F(AvifStepTest, LosslessIsTheFinishedPictureExactly)
{
    const Bitmap working = testpictures::PatternPicture(71, 45);
    const EncodedResult result = Avif(working, Bitmap(), Settings(true));
    EXPECT_TRUE(Decode(result, QStringLiteral("lossless.avif")) == RgbaBytes(working));
    const QString info = Info(result, QStringLiteral("lossless.avif"));
    EXPECT_TRUE(info.contains(QStringLiteral("YUV444"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Matrix Coeffs. : 0"))) << info.toStdString();
    EXPECT_EQ(result.dimensions, Size(71, 45));
    EXPECT_EQ(result.description, "71 by 45 pixels");
    ASSERT_EQ(result.picture.format(), Bitmap::Format_BGR888);
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(working));
    EXPECT_TRUE(barText_.isEmpty());
    EXPECT_TRUE(recorder_.captions.contains(QStringLiteral("Saving")));
}

TEST_F(AvifStepTest, LosslessKeepsTransparencyExactly)
{
    const AlphaPicture drawn = DrawAlphaPicture(64, 40);
    const EncodedResult result = Avif(drawn.working, drawn.alpha, Settings(true));
    EXPECT_TRUE(Decode(result, QStringLiteral("alpha.avif")) == RgbaBytes(drawn.working, drawn.alpha));
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(FlattenOntoWhite(drawn.working, drawn.alpha)));
}

TEST_F(AvifStepTest, LossyIsCloseToThePhotographInBothChromas)
{
    const Bitmap photo = SharedWorkingBitmap(QStringLiteral("small-photo.png"));
    if (photo.isNull())
        GTEST_SKIP() << "the shared test pictures are not here";
    qint64 sizes[2] = {};
    for (const AvifChroma chroma : {AvifChroma::Yuv420, AvifChroma::Yuv444}) {
        const bool full = chroma == AvifChroma::Yuv444;
        SCOPED_TRACE(full ? "4:4:4" : "4:2:0");
        ConversionSettings settings = Settings(false, 60);
        settings.avifChroma = chroma;
        const EncodedResult result = Avif(photo, Bitmap(), settings);
        const QString name = full ? QStringLiteral("444.avif") : QStringLiteral("420.avif");
        const QByteArray rgba = Decode(result, name);
        const double psnr = Psnr(ColoursOf(rgba), RgbBytes(photo));
        EXPECT_GT(psnr, 30.0);
        EXPECT_LT(psnr, 60.0);
        const QString info = Info(result, name);
        EXPECT_TRUE(info.contains(full ? QStringLiteral("YUV444") : QStringLiteral("YUV420"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Range          : Full"))) << info.toStdString();
        // sRGB, BT.601 coefficients.
        EXPECT_TRUE(info.contains(QStringLiteral("Color Primaries: 1\n"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Transfer Char. : 13\n"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("Matrix Coeffs. : 6\n"))) << info.toStdString();
        sizes[full] = result.size;
        // The picture shown is the file as avifdec decodes it.
        ASSERT_EQ(result.picture.format(), Bitmap::Format_BGR888);
        EXPECT_TRUE(RgbBytes(result.picture) == ColoursOf(rgba));
    }
    EXPECT_LT(sizes[0], 512 * 512 * 3 / 8);
    EXPECT_NE(sizes[0], sizes[1]);
}

TEST_F(AvifStepTest, QualityIsTheQuantizerOfAvifenc)
{
    const Bitmap photo = SharedWorkingBitmap(QStringLiteral("small-photo.png"));
    if (photo.isNull())
        GTEST_SKIP() << "the shared test pictures are not here";
    const EncodedResult low = Avif(photo, Bitmap(), Settings(false, 20), false);
    const EncodedResult high = Avif(photo, Bitmap(), Settings(false, 90), false);
    EXPECT_LT(low.size, high.size);
    EXPECT_LT(Psnr(ColoursOf(Decode(low, QStringLiteral("low.avif"))), RgbBytes(photo)),
              Psnr(ColoursOf(Decode(high, QStringLiteral("high.avif"))), RgbBytes(photo)));

    // avifenc --min Q --max Q of the same pixels decodes to nearly the same
    // picture.
    ConversionSettings settings = Settings(false, 60);
    settings.avifChroma = AvifChroma::Yuv420;
    const EncodedResult ours = Avif(photo, Bitmap(), settings, false);
    const QString png = folder_.filePath(QStringLiteral("photo.png"));
    ASSERT_TRUE(ImageView(photo).save(png));
    const QString theirs = folder_.filePath(QStringLiteral("avifenc.avif"));
    const QString q = QString::number(AvifQuantizer(60));
    testpictures::RunTool(QStringLiteral("avifenc"), {QStringLiteral("--min"), q, QStringLiteral("--max"), q,
                                                      QStringLiteral("-s"), QStringLiteral("8"),
                                                      QStringLiteral("-y"), QStringLiteral("420"), png, theirs});
    const PillowPicture fromAvifenc = DecodeAvif(theirs);
    ASSERT_TRUE(fromAvifenc.problem.isEmpty()) << fromAvifenc.problem.toStdString();
    EXPECT_GT(Psnr(Decode(ours, QStringLiteral("ours.avif")), fromAvifenc.pixels), 40.0);
    const qint64 theirSize = QFileInfo(theirs).size();
    EXPECT_LT(std::abs(ours.size - theirSize), theirSize / 20) << ours.size << " against " << theirSize;
}

TEST_F(AvifStepTest, LossyKeepsTransparency)
{
    const AlphaPicture drawn = DrawAlphaPicture(96, 64);
    const EncodedResult result = Avif(drawn.working, drawn.alpha, Settings(false, 70));
    const QByteArray rgba = Decode(result, QStringLiteral("lossy-alpha.avif"));
    EXPECT_GT(Psnr(AlphaOf(rgba), AlphaOf(RgbaBytes(drawn.working, drawn.alpha))), 30.0);
    ASSERT_EQ(result.picture.format(), Bitmap::Format_BGR888);
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(RgbaShownOnWhite(RgbaPicture(rgba, 96, 64))));
    // The fully transparent rows are white.
    const RGBTriple corner = RowPixels(result.picture, 2)[10];
    EXPECT_GE(std::min({corner.red, corner.green, corner.blue}), 250);
}

TEST_F(AvifStepTest, WithoutAWorkFileALossyFileIsNotDecodedAgain)
{
    const Bitmap working = testpictures::PatternPicture(40, 30);
    EXPECT_TRUE(Avif(working, Bitmap(), Settings(false), false).picture.isNull());
    EXPECT_FALSE(Avif(working, Bitmap(), Settings(true), false).picture.isNull());
}

TEST_F(AvifStepTest, CancelWhileTheEncoderWorksEndsSilently)
{
    recorder_.cancel = &cancel_;
    recorder_.cancelAt = QStringLiteral("Saving");
    EXPECT_THROW(Avif(testpictures::PatternPicture(64, 64), Bitmap(), Settings(false)), RunCancelled);
    EXPECT_EQ(recorder_.captions.back(), QString());
    EXPECT_TRUE(barText_.isEmpty());
    // Cancelled before the step: nothing is encoded.
    recorder_.cancel = nullptr;
    cancel_.Cancel();
    EXPECT_THROW(Avif(testpictures::PatternPicture(64, 64), Bitmap(), Settings(true)), RunCancelled);
}

TEST_F(AvifStepTest, ARunMakesAnAvifResult)
{
    RunProgress progress;
    RunContext context{progress, cancel_, std::string()};
    const EncodedResult result = RunConversion(testpictures::PatternPicture(48, 32), Settings(true), context);
    EXPECT_EQ(result.format, OutputFormat::Avif);
    EXPECT_TRUE(Decode(result, QStringLiteral("run.avif")) == RgbaBytes(testpictures::PatternPicture(48, 32)));
}

TEST_F(AvifStepTest, ARunKeepsTheSourcesTransparency)
{
    const AlphaPicture drawn = DrawAlphaPicture(72, 40);
    const Bitmap flattened = FlattenOntoWhite(drawn.working, drawn.alpha);
    RunProgress progress;
    RunContext context{progress, cancel_, std::string()};
    const EncodedResult result = RunConversion(flattened, Settings(true), context, drawn.alpha);
    const QByteArray rgba = Decode(result, QStringLiteral("run-alpha.avif"));
    EXPECT_TRUE(AlphaOf(rgba) == AlphaOf(RgbaBytes(drawn.working, drawn.alpha)));
    EXPECT_LE(LargestDifference(RgbBytes(RgbaShownOnWhite(RgbaPicture(rgba, 72, 40))), RgbBytes(flattened)), 1);
}
