// Byte budgets and quality floors through a whole run, against a walk over
// every setting, and the similarity score a run gives its result.
#include "app/conversion.h"
#include "app/report.h"
#include "components/errors.h"
#include "effects/pixels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using namespace pictaron;

namespace {

// Gradients with noise: a picture whose file grows with the quality.
Bitmap Photo(int width, int height)
{
    std::mt19937 random(3);
    Bitmap picture = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            RowPixels(picture, y)[x] = RGBTriple{std::uint8_t(x * 2 + random() % 24), std::uint8_t(y * 3 + random() % 8),
                                                 std::uint8_t((x * y) % 200 + random() % 40)};
    return picture;
}

class EncodeStepTest : public ::testing::Test {
protected:
    EncodedResult Run(const ConversionSettings& settings, bool score = false)
    {
        RunProgress progress;
        CancelFlag cancel;
        RunContext context{progress, cancel, std::string(), score};
        return RunConversion(picture_, settings, context);
    }
    std::string Failure(const ConversionSettings& settings)
    {
        try {
            Run(settings);
        } catch (const PictaronError& error) {
            return error.message();
        }
        return {};
    }
    Bitmap picture_ = Photo(96, 64);
};

ConversionSettings Format(OutputFormat format)
{
    ConversionSettings s;
    s.format = format;
    return s;
}

} // namespace

TEST_F(EncodeStepTest, ABudgetGetsTheHighestQualityThatFits)
{
    for (const OutputFormat format : {OutputFormat::Jpeg, OutputFormat::Webp, OutputFormat::Avif}) {
        SCOPED_TRACE(static_cast<int>(format));
        ConversionSettings s = Format(format);
        s.avifSpeed = 10;
        const int low = format == OutputFormat::Jpeg ? 1 : 0;
        // The sizes of every quality, walked one by one.
        std::vector<std::int64_t> sizes;
        for (int q = low; q <= 100; q += 1) {
            ConversionSettings at = s;
            at.jpegQuality = at.webpQuality = at.avifQuality = q;
            sizes.push_back(Run(at).size);
        }
        for (const double share : {0.3, 0.55, 0.8}) {
            s.maxBytes = sizes.front() + static_cast<std::int64_t>(share * double(sizes.back() - sizes.front()));
            const EncodedResult result = Run(s);
            EXPECT_LE(result.size, s.maxBytes);
            EXPECT_LE(result.trials, 7);
            EXPECT_TRUE(result.settingChosen);
            const int chosen = result.chosenSetting;
            EXPECT_EQ(result.size, sizes[static_cast<size_t>(chosen - low)]);
            // The next quality up does not fit (the search ended on it), or
            // none is left.
            if (chosen < 100) {
                EXPECT_GT(sizes[static_cast<size_t>(chosen - low + 1)], s.maxBytes) << "quality " << chosen;
            }
        }
        // Not even the lowest quality fits: the message says how small it got.
        s.maxBytes = sizes.front() - 1;
        EXPECT_EQ(Failure(s), "The picture does not fit in " + FormatKilobytes(s.maxBytes, 1)
                                  + " KB; the smallest it became is " + FormatKilobytes(sizes.front(), 1) + " KB.");
    }
}

TEST_F(EncodeStepTest, ABudgetForAnIndexedResultChoosesItsColours)
{
    for (const bool png : {false, true}) {
        ConversionSettings s = Format(png ? OutputFormat::Png : OutputFormat::Gif);
        s.pngIndexed = png;
        ConversionSettings few = s, many = s;
        few.maxColours = 8;
        many.maxColours = 200;
        s.maxBytes = (Run(few).size + Run(many).size) / 2;
        const EncodedResult result = Run(s);
        EXPECT_LE(result.size, s.maxBytes);
        EXPECT_LE(result.trials, 8);
        EXPECT_GT(result.chosenSetting, 8);
        EXPECT_LT(result.chosenSetting, 200);
        ConversionSettings above = s;
        above.maxBytes = 0;
        above.maxColours = result.chosenSetting + 1;
        EXPECT_GT(Run(above).size, s.maxBytes);
    }
}

TEST_F(EncodeStepTest, AQualityFloorGetsTheSmallestFileThatReachesIt)
{
    ConversionSettings s = Format(OutputFormat::Jpeg);
    s.minSimilarity = 0.95;
    const EncodedResult result = Run(s);
    ASSERT_TRUE(result.similarity.has_value());
    EXPECT_GE(*result.similarity, 0.95);
    ASSERT_GT(result.chosenSetting, 1);
    ConversionSettings below = Format(OutputFormat::Jpeg);
    below.jpegQuality = result.chosenSetting - 1;
    EXPECT_LT(*Run(below, true).similarity, 0.95);

    // Both targets: the floor's choice must fit.
    s.maxBytes = result.size - 1;
    EXPECT_TRUE(Failure(s).starts_with("Reaching an SSIM of 0.950 takes ")) << Failure(s);
    s.maxBytes = 0;
    s.minSimilarity = 0.99999;
    EXPECT_TRUE(Failure(s).starts_with("No setting reaches an SSIM of 1.000")) << Failure(s);
}

TEST_F(EncodeStepTest, AFormatWithoutASettingIsEncodedOnceAndMustFit)
{
    ConversionSettings s = Format(OutputFormat::Png);
    const std::int64_t size = Run(s).size;
    s.maxBytes = size;
    EXPECT_EQ(Run(s).trials, 1);
    EXPECT_FALSE(Run(s).settingChosen);
    s.maxBytes = size - 1;
    EXPECT_EQ(Failure(s), "The picture does not fit in " + FormatKilobytes(s.maxBytes, 1)
                              + " KB: this format has no setting to lower, and it takes " + FormatKilobytes(size, 1)
                              + " KB.");
}

TEST_F(EncodeStepTest, ScoredResultsCarryTheirSimilarity)
{
    // Lossless results score 1; a rough JPEG less; unscored runs none.
    ConversionSettings lossless = Format(OutputFormat::Webp);
    lossless.webpLossless = true;
    EXPECT_DOUBLE_EQ(*Run(lossless, true).similarity, 1.0);
    ConversionSettings rough = Format(OutputFormat::Jpeg);
    rough.jpegQuality = 10;
    const EncodedResult scored = Run(rough, true);
    ASSERT_TRUE(scored.similarity.has_value());
    EXPECT_LT(*scored.similarity, 0.95);
    EXPECT_GT(*scored.similarity, 0.3);
    EXPECT_FALSE(Run(rough, false).similarity.has_value());
    EXPECT_EQ(Run(rough, false).bytes, scored.bytes);
}
