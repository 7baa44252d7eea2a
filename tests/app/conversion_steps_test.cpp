// The changes of a run: their fixed order, the arguments each step is given,
// and what a failing step does to the run.
#include "app/conversion.h"
#include "components/qtbridge.h"

#include "components/errors.h"
#include "effects/blend.h"
#include "effects/buttonize.h"
#include "effects/caption.h"
#include "effects/convolve.h"
#include "effects/geometry.h"
#include "effects/resample.h"
#include "effects/tone.h"
#include "formats/jpegresult.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <cstring>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <random>

using namespace pictaron;

namespace {

Bitmap Pattern(int width, int height)
{
    std::mt19937 random(5);
    Bitmap picture = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            RowPixels(picture, y)[x] = RGBTriple{std::uint8_t(x * 4 + random() % 32), std::uint8_t(y * 3),
                                                 std::uint8_t((x + y) * 2 + random() % 16)};
    return picture;
}

// Every caption and status text of the bar, in order, without repeats.
class StatusLog : public ProgressView {
public:
    void ProgressChanged(const std::string& utf8, int) override
    {
        const QString text = ToQString(utf8);
        if (!text.isEmpty() && (texts.isEmpty() || texts.last() != text))
            texts << text;
    }
    QStringList texts;
};

class ConversionStepsTest : public ::testing::Test {
protected:
    // Runs without a work file: the result carries the encoded bytes.
    EncodedResult Run(const Bitmap& original, const ConversionSettings& settings)
    {
        RunContext context{progress_, cancel_, std::string()};
        return RunConversion(original, settings, context);
    }
    SharedBytes Encoded(const Bitmap& working, const ConversionSettings& settings)
    {
        RunProgress progress;
        RunContext context{progress, cancel_, std::string()};
        return EncodeJpegResult(working, settings, context).bytes;
    }

    StatusLog log_;
    RunProgress progress_{&log_};
    CancelFlag cancel_;
    QTemporaryDir folder_;
};

} // namespace

TEST_F(ConversionStepsTest, EveryChangeInItsOrderWithItsArguments)
{
    const Bitmap original = Pattern(90, 70);
    ConversionSettings s;
    s.crop = true;
    s.cropTopLeft = Point(60, 50);  // given the wrong way round
    s.cropBottomRight = Point(4, 6);
    s.flip = true;
    s.mirror = true;
    s.rotate = true;
    s.rotateAngle = 25;
    s.rotateRight = false;
    s.cornerColour = 0x336699;  // red 0x99, green 0x66, blue 0x33
    s.resize = true;
    s.resizeWidth = 41;
    s.resizeHeight = 37;
    s.resizeMethod = ResizeFilter::Mitchell;
    s.contrast = true;
    s.contrastAmount = 60;
    s.brightness = true;
    s.brightnessAmount = -20;
    s.sharpen = true;
    s.sharpenAmount = 3;
    s.blur = true;
    s.blurAmount = 14;
    s.buttonize = true;
    s.buttonWidth = 12;
    s.buttonLine = RGBTriple{40, 160, 220};
    s.lighting = Lighting::BottomLeft;
    s.fade = true;

    // The same changes by hand, in the documented order and with the
    // documented arguments: sharpen by position + 5, blur by 20 - position.
    Bitmap expected = CropToSelection(original, Point(4, 6), Point(60, 50));
    expected = MirrorBitmap(FlipBitmap(expected));
    expected = RotateBitmap(expected, 25, RGBTriple{0x33, 0x66, 0x99}, false);
    const ResampleFilter& mitchell = ResampleFilterTable()[6];
    expected = ResampleBitmap(expected, Size(41, 37), mitchell.filter, mitchell.support, nullptr);
    expected = AdjustBrightness(AdjustContrast(expected, 60), -20);
    expected = Convolve3x3(expected, ConvolveKind::Sharpen, 8);
    expected = Convolve3x3(expected, ConvolveKind::Blur, 6);
    expected = ButtonizeBitmap(expected, {12, RGBTriple{40, 160, 220}, Lighting::BottomLeft, true, false});

    const EncodedResult result = Run(original, s);
    EXPECT_EQ(result.dimensions, Size(41, 37));
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(result.bytes, Encoded(expected, s));
    // The steps say what they do, in order.
    EXPECT_EQ(log_.texts, (QStringList{"Resizing", "Horizontal sub-sampling", "Horizontal Resize",
                                       "Vertical sub-sampling", "Vertical Resize", "Sharpening", "Blurring",
                                       "Saving"}));

    // A different order would show: the mirror after the rotation, say.
    Bitmap swapped = CropToSelection(original, Point(4, 6), Point(60, 50));
    swapped = MirrorBitmap(RotateBitmap(FlipBitmap(swapped), 25, RGBTriple{0x33, 0x66, 0x99}, false));
    swapped = ResampleBitmap(swapped, Size(41, 37), mitchell.filter, mitchell.support, nullptr);
    swapped = AdjustBrightness(AdjustContrast(swapped, 60), -20);
    swapped = Convolve3x3(Convolve3x3(swapped, ConvolveKind::Sharpen, 8), ConvolveKind::Blur, 6);
    swapped = ButtonizeBitmap(swapped, {12, RGBTriple{40, 160, 220}, Lighting::BottomLeft, true, false});
    EXPECT_NE(result.bytes, Encoded(swapped, s));
}

TEST_F(ConversionStepsTest, BlendAndCaptionComeLast)
{
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    const QString blendFile = folder_.filePath(QStringLiteral("overlay.png"));
    ASSERT_TRUE(ImageView(Pattern(13, 9)).mirrored(true, false).save(blendFile));

    const Bitmap original = Pattern(60, 40);
    ConversionSettings s;
    s.blend = true;
    s.blendFile = ToUtf8(blendFile);
    s.blendBias = 40;
    s.blendStretch = false;
    s.contrast = true;
    s.contrastAmount = -30;
    s.caption = true;
    s.captionText = "Hi";
    s.captionFont.family = "DejaVu Sans";
    s.captionFont.pixelHeight = 12;
    s.captionFont.colour = clBlack;
    s.captionLocation = CaptionLocation::Caption;

    Bitmap expected = BlendStep(original, ToUtf8(blendFile), 40, false);
    expected = AdjustContrast(expected, -30);
    expected = AddCaption(expected, "Hi", s.captionFont, CaptionLocation::Caption);
    const EncodedResult result = Run(original, s);
    EXPECT_EQ(result.dimensions, expected.size());
    EXPECT_GT(result.dimensions.height(), 40);
    EXPECT_EQ(result.bytes, Encoded(expected, s));
}

TEST_F(ConversionStepsTest, AResizeBeyondMemoryEndsTheRunWithItsMessage)
{
    // 2.7 GB: refused before it is allocated, and the run ends there rather
    // than going on with the picture unresized.
    ConversionSettings s;
    s.resize = true;
    s.resizeWidth = 30000;
    s.resizeHeight = 30000;
    s.brightness = true;
    s.brightnessAmount = 10;
    const QString message = QStringLiteral("There is not enough memory for a picture of 30000 by 30000 pixels.");
    try {
        Run(Pattern(50, 30), s);
        ADD_FAILURE() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), message);
    }
    // So does the resize of a picture that keeps its transparency.
    s.format = OutputFormat::Png;
    Bitmap alpha(50, 30, Bitmap::Format_Grayscale8);
    std::memset(alpha.bits(), 128, static_cast<std::size_t>(alpha.sizeInBytes()));
    RunContext context{progress_, cancel_, std::string()};
    try {
        RunConversion(Pattern(50, 30), s, context, alpha);
        ADD_FAILURE() << "no error with alpha";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), message);
    }
}

TEST_F(ConversionStepsTest, FailingStepsEndTheRunWithTheirMessage)
{
    const Bitmap original = Pattern(50, 30);
    const auto message = [&](const ConversionSettings& s) {
        try {
            Run(original, s);
        } catch (const PictaronError& error) {
            return ToQString(error.message());
        }
        return QStringLiteral("(no error)");
    };

    ConversionSettings zeroWidth;
    zeroWidth.resize = true;
    zeroWidth.resizeHeight = 20;
    EXPECT_EQ(message(zeroWidth), QStringLiteral("Resize width must be above zero."));

    ConversionSettings emptyCrop;
    emptyCrop.crop = true;  // no frame drawn yet: (-1,-1) to (-1,-1)
    EXPECT_EQ(message(emptyCrop),
              QStringLiteral("The crop rectangle is empty.  Draw a frame around the part of the picture to keep."));

    const QString notAPicture = folder_.filePath(QStringLiteral("notes.gif"));
    QFile file(notAPicture);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("no picture in here");
    file.close();
    ConversionSettings badBlend;
    badBlend.blend = true;
    badBlend.blendFile = ToUtf8(notAPicture);
    EXPECT_TRUE(message(badBlend).startsWith(QStringLiteral("Cannot open"))) << qPrintable(message(badBlend));
}

TEST_F(ConversionStepsTest, MissingBlendFileIsSkipped)
{
    const Bitmap original = Pattern(40, 30);
    ConversionSettings s;
    s.blend = true;
    s.blendFile = ToUtf8(folder_.filePath(QStringLiteral("gone.png")));
    const EncodedResult result = Run(original, s);
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(result.bytes, Encoded(original, s));
}

TEST_F(ConversionStepsTest, ThinBevelCancelsSilently)
{
    ConversionSettings s;
    s.buttonize = true;
    s.buttonWidth = 1;  // Round(0.5) div 2 = 0
    EXPECT_THROW(Run(Pattern(50, 30), s), RunCancelled);
}

TEST_F(ConversionStepsTest, CancellingDuringResizeEndsTheRun)
{
    // The flag is tested every tenth row of the resample, not only between steps.
    class CancelOnResize : public ProgressView {
    public:
        explicit CancelOnResize(CancelFlag& flag) : flag_(flag) {}
        void ProgressChanged(const std::string& text, int) override
        {
            if (text == "Horizontal Resize")
                flag_.Cancel();
        }
        CancelFlag& flag_;
    } view(cancel_);
    RunProgress progress(&view);
    RunContext context{progress, cancel_, std::string()};
    ConversionSettings s;
    s.resize = true;
    s.resizeWidth = 100;
    s.resizeHeight = 100;
    EXPECT_THROW(RunConversion(Pattern(50, 30), s, context), RunCancelled);
}
