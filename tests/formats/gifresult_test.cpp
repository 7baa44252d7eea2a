// The GIF step of a run: the palette flow, its statuses, cancellation, and the
// file that is measured and saved.
#include "components/qtbridge.h"
#include "formats/gifresult.h"

#include "app/conversion.h"
#include "app/saveresult.h"
#include "components/errors.h"
#include "effects/pixels.h"
#include "formats/pictureloader.h"
#include "gifchecker.h"
#include "testpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <set>

using namespace pictaron;
using namespace pictaron::gifcheck;

namespace {

// Remembers every caption the bar shows, and can cancel at a caption.
class Recorder : public ProgressView {
public:
    void ProgressChanged(const std::string& utf8, int percent) override
    {
        const QString text = ToQString(utf8);
        if (captions.isEmpty() || captions.back() != text)
            captions << text;
        if (cancel && text == cancelAt && percent >= 50)
            cancel->Cancel();
    }

    QStringList captions;
    CancelFlag* cancel = nullptr;
    QString cancelAt;
};

class GifStepTest : public ::testing::Test {
protected:
    EncodedResult Run(const Bitmap& original, const ConversionSettings& settings)
    {
        RunProgress progress(&recorder_);
        RunContext context{progress, cancel_, ToUtf8(folder_.filePath(QStringLiteral("work.jpg")))};
        EncodedResult result = RunConversion(original, settings, context);
        barText_ = ToQString(progress.text());
        barDone_ = progress.done();
        return result;
    }
    static ConversionSettings Gif()
    {
        ConversionSettings settings;
        settings.format = OutputFormat::Gif;
        return settings;
    }
    // The colours of the result picture's pixels.
    static std::set<Argb> UsedColours(const Bitmap& indexed)
    {
        std::set<Argb> colours;
        for (int y = 0; y < indexed.height(); ++y)
            for (int x = 0; x < indexed.width(); ++x)
                colours.insert(indexed.colorTable()[indexed.constScanLine(y)[x]] & 0xFFFFFF);
        return colours;
    }

    QTemporaryDir folder_;
    Recorder recorder_;
    CancelFlag cancel_;
    QString barText_;
    int barDone_ = -1;
};

bool IsWebSafe(Argb colour)
{
    return RedOf(colour) % 51 == 0 && GreenOf(colour) % 51 == 0 && BlueOf(colour) % 51 == 0;
}

// Four colours away from every cell border, in blocks.
Bitmap FourColours()
{
    Bitmap picture = NewWorkingBitmap(40, 30);
    const RGBTriple colours[4] = {{20, 200, 100}, {250, 10, 30}, {90, 90, 90}, {5, 5, 240}};
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            RowPixels(picture, y)[x] = colours[(x / 10 + y / 15) % 4];
    return picture;
}

} // namespace

TEST_F(GifStepTest, OptimisedPaletteKeepsFewColoursExactly)
{
    const Bitmap original = FourColours();
    const EncodedResult result = Run(original, Gif());
    ASSERT_EQ(result.picture.format(), Bitmap::Format_Indexed8);
    EXPECT_EQ(result.colours, 256);
    EXPECT_EQ(result.picture.colorCount(), 256);
    EXPECT_TRUE(result.description.empty());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const RGBTriple p = RowPixels(original, y)[x];
            ASSERT_EQ(ImageView(result.picture).pixel(x, y) & 0xFFFFFF, PackRgb(p.red, p.green, p.blue) & 0xFFFFFF);
        }
    EXPECT_EQ(recorder_.captions, (QStringList{QStringLiteral("Quantizing"), QStringLiteral("Mapping to final palette"),
                                               QString()}));
    EXPECT_TRUE(barText_.isEmpty());
    EXPECT_EQ(barDone_, 0);
}

TEST_F(GifStepTest, ChosenPaletteIsAppliedTwice)
{
    ConversionSettings settings = Gif();
    settings.palette = kWebsafePalette;
    settings.dither = true;
    const EncodedResult result = Run(testpictures::PatternPicture(90, 60), settings);
    EXPECT_EQ(recorder_.captions,
              (QStringList{QStringLiteral("Dithering to palette"), QStringLiteral("Quantizing"),
                           QStringLiteral("Reducing palette colors"), QStringLiteral("Dithering to final palette"),
                           QString()}));
    // Every entry of the final palette was snapped to a web-safe colour.
    EXPECT_EQ(result.picture.colorCount(), 256);
    for (const Argb colour : result.picture.colorTable())
        ASSERT_TRUE(IsWebSafe(colour)) << std::hex << colour;
}

TEST_F(GifStepTest, TwoWebSafeColoursOnAPhotograph)
{
    ConversionSettings settings = Gif();
    settings.palette = kWebsafePalette;
    settings.maxColours = 2;
    const EncodedResult result = Run(testpictures::PatternPicture(120, 80, 3), settings);
    EXPECT_EQ(result.colours, 2);
    const std::set<Argb> used = UsedColours(result.picture);
    EXPECT_LE(used.size(), 2u);
    for (const Argb colour : used)
        EXPECT_TRUE(IsWebSafe(colour));
}

TEST_F(GifStepTest, ColourCountIsKeptWithinOneTo256)
{
    ConversionSettings settings = Gif();
    settings.maxColours = 0;
    EXPECT_EQ(Run(FourColours(), settings).colours, 1);
    settings.maxColours = 999;
    EXPECT_EQ(Run(FourColours(), settings).colours, 256);
}

TEST_F(GifStepTest, SavedFileIsTheMeasuredFile)
{
    ConversionSettings settings = Gif();
    settings.maxColours = 37;
    settings.transparentColour = TColor(0x03FE01);
    const EncodedResult result = Run(testpictures::PatternPicture(77, 51, 8), settings);
    const QString path = folder_.filePath(QStringLiteral("saved.gif"));
    EXPECT_EQ(SaveResult(ToUtf8(path), result.picture, SharedBytes(), settings), result.size);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_EQ(saved.size(), result.size);
    EXPECT_EQ(saved, ToQByteArray(result.bytes.view()));
    EXPECT_EQ(result.dimensions, Size(77, 51));

    const StrictGif strict = ReadStrictGif(saved);
    ASSERT_TRUE(strict.problem.isEmpty()) << strict.problem.toStdString();
    EXPECT_EQ(strict.version, QByteArray("89a"));
    // 37 colours and the appended green: a table of 64.
    EXPECT_EQ(strict.table.size(), 64u);
    EXPECT_EQ(strict.transparentIndex, 37);
    EXPECT_EQ(strict.table[37], (Colour{1, 254, 3}));
}

TEST_F(GifStepTest, WithoutTransparencyTheFileIs87a)
{
    const EncodedResult result = Run(FourColours(), Gif());
    EXPECT_TRUE(EncodeGif(result.picture, std::nullopt).starts_with("GIF87a"));
}

TEST_F(GifStepTest, FullPaletteAndAMissingTransparentColourFailTheRun)
{
    ConversionSettings settings = Gif();
    settings.transparentColour = TColor(0x010203);
    try {
        Run(testpictures::PatternPicture(64, 64, 2), settings);
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), QStringLiteral("Color table overflow"));
    }
}

TEST_F(GifStepTest, CancelDuringTheFinalPassEndsSilently)
{
    recorder_.cancel = &cancel_;
    recorder_.cancelAt = QStringLiteral("Mapping to final palette");
    EXPECT_THROW(Run(testpictures::PatternPicture(60, 200, 5), Gif()), RunCancelled);
    EXPECT_EQ(recorder_.captions.back(), QString());
}

TEST_F(GifStepTest, UnreadablePaletteFileFailsTheRunWithItsName)
{
    ConversionSettings settings = Gif();
    settings.palette = ToUtf8(folder_.filePath(QStringLiteral("missing.pal")));
    try {
        Run(FourColours(), settings);
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_TRUE(ToQString(error.message()).contains(QStringLiteral("missing.pal"))) << error.what();
    }
}

TEST_F(GifStepTest, PaletteFileColoursAreTheOnlyColours)
{
    const QString path = folder_.filePath(QStringLiteral("three.pal"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("JASC-PAL\n0100\n3\n255 0 0\n0 0 255\n250 250 250\n");
    file.close();
    ConversionSettings settings = Gif();
    settings.palette = ToUtf8(path);
    settings.maxColours = 16;
    const EncodedResult result = Run(testpictures::PatternPicture(50, 40, 4), settings);
    for (const Argb colour : UsedColours(result.picture))
        EXPECT_TRUE(colour == 0xFF0000 || colour == 0x0000FF || colour == 0xFAFAFA) << std::hex << colour;
}

TEST_F(GifStepTest, RealPicturesReadBackThroughPillow)
{
    const PictureLoader loader;
    for (const char* name : {"medium-photo.jpg", "flat-graphic.png"}) {
        const QString path = testpictures::SharedTestPicture(QString::fromLatin1(name));
        if (path.isEmpty())
            GTEST_SKIP() << "no shared test pictures";
        for (const bool dither : {false, true}) {
            ConversionSettings settings = Gif();
            settings.dither = dither;
            settings.maxColours = dither ? 64 : 256;
            const EncodedResult result = Run(testpictures::Load(loader, path), settings);
            const QByteArray gif = ToQByteArray(result.bytes.view());
            EXPECT_EQ(gif.size(), result.size);
            const StrictGif strict = ReadStrictGif(gif);
            ASSERT_TRUE(strict.problem.isEmpty()) << name << ": " << strict.problem.toStdString();
            bool skipped = false;
            const PillowGif pillow = ReadWithPillow(gif, skipped);
            if (skipped)
                continue;
            ASSERT_TRUE(pillow.problem.isEmpty()) << pillow.problem.toStdString();
            EXPECT_EQ(pillow.indices, strict.indices) << name;
            EXPECT_EQ(static_cast<int>(pillow.indices.size()), result.picture.width() * result.picture.height());
            EXPECT_TRUE(std::equal(strict.table.begin(), strict.table.end(), pillow.table.begin()));
        }
    }
}
