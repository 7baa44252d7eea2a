// The PNG step of a run: every file read back by Pillow and pngcheck and
// compared with the finished picture; the indexed kind against the GIF of
// the same settings.
#include "formats/pngresult.h"
#include "components/qtbridge.h"

#include "../bitmapimage.h"

#include "app/conversion.h"
#include "components/errors.h"
#include "effects/alpha.h"
#include "effects/pixels.h"
#include "encodercheck.h"
#include "formats/alphaplane.h"
#include "formats/gifresult.h"
#include "testpictures.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <set>

using namespace pictaron;
using namespace pictaron::encodercheck;

namespace {

class PngStepTest : public ::testing::Test {
protected:
    EncodedResult Png(const Bitmap& working, const Bitmap& alpha, const ConversionSettings& settings)
    {
        RunProgress progress(&recorder_);
        RunContext context{progress, cancel_, ToUtf8(folder_.filePath(QStringLiteral("work.jpg")))};
        EncodedResult result = EncodePngResult(working, alpha, settings, context);
        barText_ = ToQString(progress.text());
        return result;
    }
    EncodedResult Gif(const Bitmap& working, ConversionSettings settings)
    {
        settings.format = OutputFormat::Gif;
        RunProgress progress;
        CancelFlag cancel;
        RunContext context{progress, cancel, std::string()};
        return ConvertForGif(working, settings, context);
    }
    static ConversionSettings Settings(bool indexed = false)
    {
        ConversionSettings settings;
        settings.format = OutputFormat::Png;
        settings.pngIndexed = indexed;
        return settings;
    }
    // Writes the file, checks its chunks and pngcheck's verdict, and returns
    // its path.
    QString Check(const EncodedResult& result, const QString& name, PngChunks& chunks)
    {
        EXPECT_EQ(result.size, result.bytes.size());
        chunks = ReadPngChunks(ToQByteArray(result.bytes.view()));
        EXPECT_TRUE(chunks.problem.isEmpty()) << chunks.problem.toStdString();
        const QString path = WriteFile(folder_, name, ToQByteArray(result.bytes.view()));
        const QString report = PngCheck(path);
        EXPECT_TRUE(report.contains(QStringLiteral("No errors detected"))) << report.toStdString();
        if (chunks.colourType == 3) {
            const QRegularExpression entries(QStringLiteral("(\\d+) palette entr"));
            const QRegularExpressionMatch match = entries.match(report);
            EXPECT_TRUE(match.hasMatch()) << report.toStdString();
            EXPECT_EQ(match.captured(1).toInt(), result.colours) << report.toStdString();
        }
        return path;
    }

    QTemporaryDir folder_;
    Recorder recorder_;
    CancelFlag cancel_;
    QString barText_;
};

// Four colours in blocks.
Bitmap FourColours()
{
    Bitmap picture = NewWorkingBitmap(40, 30);
    const RGBTriple colours[4] = {{20, 200, 100}, {250, 10, 30}, {90, 90, 90}, {5, 5, 240}};
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            RowPixels(picture, y)[x] = colours[(x / 10 + y / 15) % 4];
    return picture;
}

std::set<int> UsedIndices(const Bitmap& indexed)
{
    std::set<int> used;
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x)
            used.insert(indexed.constScanLine(y)[x]);
    return used;
}

} // namespace

TEST_F(PngStepTest, TruecolourIsTheFinishedPictureExactly)
{
    const Bitmap working = testpictures::PatternPicture(97, 61);
    const EncodedResult result = Png(working, Bitmap(), Settings());
    PngChunks chunks;
    const QString path = Check(result, QStringLiteral("rgb.png"), chunks);
    EXPECT_EQ(chunks.colourType, 2);
    EXPECT_EQ(chunks.bitDepth, 8);
    EXPECT_EQ(chunks.interlace, 0);
    EXPECT_FALSE(chunks.names.contains(QStringLiteral("PLTE")));
    EXPECT_FALSE(chunks.names.contains(QStringLiteral("tRNS")));

    const PillowPicture read = ReadWithPillow(path);
    ASSERT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
    EXPECT_EQ(read.format, QStringLiteral("PNG"));
    EXPECT_EQ(read.mode, QStringLiteral("RGB"));
    EXPECT_EQ(QSize(read.width, read.height), QSize(97, 61));
    EXPECT_TRUE(read.pixels == RgbBytes(working));

    EXPECT_EQ(result.dimensions, Size(97, 61));
    EXPECT_EQ(result.description, "97 by 61 pixels");
    EXPECT_EQ(result.colours, 0);
    ASSERT_EQ(result.picture.format(), Bitmap::Format_BGR888);
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(working));
    EXPECT_TRUE(barText_.isEmpty());
    EXPECT_TRUE(recorder_.captions.contains(QStringLiteral("Saving")));
}

TEST_F(PngStepTest, APhotographIsExact)
{
    const Bitmap working = SharedWorkingBitmap(QStringLiteral("small-photo.png"));
    if (working.isNull())
        GTEST_SKIP() << "the shared test pictures are not here";
    const EncodedResult result = Png(working, Bitmap(), Settings());
    PngChunks chunks;
    const QString path = Check(result, QStringLiteral("photo.png"), chunks);
    const PillowPicture read = ReadWithPillow(path, QStringLiteral("RGB"));
    ASSERT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
    EXPECT_TRUE(read.pixels == RgbBytes(working));
}

TEST_F(PngStepTest, TransparencyIsKeptAsRgbaExactly)
{
    const AlphaPicture drawn = DrawAlphaPicture(83, 47);
    const EncodedResult result = Png(drawn.working, drawn.alpha, Settings());
    PngChunks chunks;
    const QString path = Check(result, QStringLiteral("rgba.png"), chunks);
    EXPECT_EQ(chunks.colourType, 6);
    const PillowPicture read = ReadWithPillow(path);
    ASSERT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
    EXPECT_EQ(read.mode, QStringLiteral("RGBA"));
    // Colours under fully transparent pixels too.
    EXPECT_TRUE(read.pixels == RgbaBytes(drawn.working, drawn.alpha));

    // Shown on white: a transparent pixel white, an opaque one as it is.
    ASSERT_EQ(result.picture.format(), Bitmap::Format_BGR888);
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(FlattenOntoWhite(drawn.working, drawn.alpha)));
    EXPECT_EQ(RowPixels(result.picture, 0)[5], (RGBTriple{255, 255, 255}));
    EXPECT_EQ(RowPixels(result.picture, 15)[5], RowPixels(drawn.working, 15)[5]);
}

TEST_F(PngStepTest, AnOpaqueAlphaPlaneGivesRgb)
{
    const Bitmap working = testpictures::PatternPicture(30, 20);
    QImage alpha(30, 20, QImage::Format_Grayscale8);
    alpha.fill(255);
    const EncodedResult result = Png(working, ToBitmap(alpha), Settings());
    EXPECT_EQ(ReadPngChunks(ToQByteArray(result.bytes.view())).colourType, 2);
}

TEST_F(PngStepTest, AMismatchedAlphaPlaneIsRefused)
{
    QImage alpha(10, 10, QImage::Format_Grayscale8);
    alpha.fill(0);
    EXPECT_THROW(Png(testpictures::PatternPicture(30, 20), ToBitmap(alpha), Settings()), PictaronError);
}

TEST_F(PngStepTest, InterlacedDecodesAsNonInterlaced)
{
    const AlphaPicture drawn = DrawAlphaPicture(61, 43);
    for (const bool indexed : {false, true}) {
        for (const bool transparent : {false, true}) {
            if (indexed && transparent)
                continue;
            ConversionSettings settings = Settings(indexed);
            settings.maxColours = 13;
            const Bitmap alpha = transparent ? drawn.alpha : Bitmap();
            const EncodedResult plain = Png(drawn.working, alpha, settings);
            settings.interlace = true;
            const EncodedResult interlaced = Png(drawn.working, alpha, settings);
            SCOPED_TRACE(indexed ? "indexed" : transparent ? "rgba" : "rgb");
            PngChunks plainChunks;
            PngChunks interlacedChunks;
            const QString plainPath = Check(plain, QStringLiteral("plain.png"), plainChunks);
            const QString interlacedPath = Check(interlaced, QStringLiteral("adam7.png"), interlacedChunks);
            EXPECT_EQ(plainChunks.interlace, 0);
            EXPECT_EQ(interlacedChunks.interlace, 1);
            EXPECT_EQ(interlacedChunks.bitDepth, plainChunks.bitDepth);
            const PillowPicture a = ReadWithPillow(plainPath, QStringLiteral("RGBA"));
            const PillowPicture b = ReadWithPillow(interlacedPath, QStringLiteral("RGBA"));
            ASSERT_TRUE(a.problem.isEmpty() && b.problem.isEmpty());
            EXPECT_FALSE(a.interlaced);
            EXPECT_TRUE(b.interlaced);
            EXPECT_TRUE(a.pixels == b.pixels);
            if (!indexed) {
                EXPECT_TRUE(a.pixels == RgbaBytes(drawn.working, alpha));
            }
        }
    }
}

// The indexed PNG holds the GIF's pixels for the same settings: both files
// read by Pillow give the same colours, and the PNG's palette holds exactly
// the entries its pixels use, in as few bits as they need.
TEST_F(PngStepTest, IndexedHoldsTheGifsPixels)
{
    struct Case {
        const char* name;
        std::string palette;
        int colours;
        bool dither;
    };
    const Case cases[] = {
        {"optimised", kOptimizedPalette, 256, false},
        {"optimised dithered", kOptimizedPalette, 256, true},
        {"web-safe", kWebsafePalette, 256, false},
        {"web-safe dithered", kWebsafePalette, 256, true},
        {"16 colours", kOptimizedPalette, 16, false},
        {"13 colours dithered", kOptimizedPalette, 13, true},
        {"4 colours dithered", kOptimizedPalette, 4, true},
        {"2 colours", kOptimizedPalette, 2, false},
        {"2 web-safe colours", kWebsafePalette, 2, true},
        {"1 colour", kOptimizedPalette, 1, false},
    };
    const Bitmap photo = SharedWorkingBitmap(QStringLiteral("small-photo.png"));
    if (photo.isNull())
        GTEST_SKIP() << "the shared test pictures are not here";
    std::set<int> depths;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionSettings settings = Settings(true);
        settings.palette = c.palette;
        settings.maxColours = c.colours;
        settings.dither = c.dither;
        const EncodedResult gif = Gif(photo, settings);
        const EncodedResult png = Png(photo, Bitmap(), settings);

        PngChunks chunks;
        const QString pngPath = Check(png, QStringLiteral("indexed.png"), chunks);
        EXPECT_EQ(chunks.colourType, 3);
        EXPECT_FALSE(chunks.names.contains(QStringLiteral("tRNS")));
        const int used = static_cast<int>(UsedIndices(gif.picture).size());
        const int bits = used <= 2 ? 1 : used <= 4 ? 2 : used <= 16 ? 4 : 8;
        EXPECT_EQ(chunks.bitDepth, bits) << used << " colours";
        depths.insert(bits);
        EXPECT_EQ(png.colours, used);
        EXPECT_EQ(chunks.paletteEntries, used);
        EXPECT_EQ(static_cast<int>(UsedIndices(png.picture).size()), used);
        ASSERT_EQ(png.picture.format(), Bitmap::Format_Indexed8);
        EXPECT_EQ(png.picture.colorCount(), used);

        const QString gifPath = WriteFile(folder_, QStringLiteral("indexed.gif"), ToQByteArray(gif.bytes.view()));
        const PillowPicture fromPng = ReadWithPillow(pngPath, QStringLiteral("RGB"));
        const PillowPicture fromGif = ReadWithPillow(gifPath, QStringLiteral("RGB"));
        ASSERT_TRUE(fromPng.problem.isEmpty()) << fromPng.problem.toStdString();
        ASSERT_TRUE(fromGif.problem.isEmpty()) << fromGif.problem.toStdString();
        EXPECT_EQ(fromPng.mode, QStringLiteral("P"));
        EXPECT_EQ(static_cast<int>(fromPng.palette.size()), used);
        EXPECT_TRUE(fromPng.pixels == fromGif.pixels);
        // And the picture shown has the same colours.
        EXPECT_TRUE(RgbBytes(ToWorkingBitmap(png.picture)) == fromPng.pixels);
    }
    // The packings met here; two bits a pixel in the four-colour test below
    // (on the photograph, the GIF's passes with few colours use only two).
    EXPECT_EQ(depths, (std::set<int>{1, 4, 8}));
}

TEST_F(PngStepTest, TheTransparentColourIsTheOneTransparencyEntry)
{
    ConversionSettings settings = Settings(true);
    // The third colour of the picture, 0x00BBGGRR.
    settings.transparentColour = TColor(0x5A5A5A);
    const Bitmap working = FourColours();
    const EncodedResult png = Png(working, Bitmap(), settings);
    PngChunks chunks;
    const QString pngPath = Check(png, QStringLiteral("transparent.png"), chunks);
    EXPECT_EQ(png.colours, 4);
    EXPECT_EQ(chunks.bitDepth, 2);
    // The transparent entry comes first, so tRNS holds one entry.
    EXPECT_EQ(chunks.transparency, QByteArray(1, '\0'));
    EXPECT_EQ(chunks.palette.left(3), QByteArray("\x5A\x5A\x5A"));

    const PillowPicture read = ReadWithPillow(pngPath, QStringLiteral("RGBA"));
    ASSERT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
    EXPECT_EQ(read.transparency.toInt(-1), 0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const RGBTriple p = RowPixels(working, y)[x];
            const int alpha = static_cast<uchar>(read.pixels[4 * (y * 40 + x) + 3]);
            const bool marked = p == RGBTriple{90, 90, 90};
            ASSERT_EQ(alpha, marked ? 0 : 255) << x << "," << y;
        }
    // The GIF of the same settings shows the same.
    const EncodedResult gif = Gif(working, settings);
    const PillowPicture fromGif =
        ReadWithPillow(WriteFile(folder_, QStringLiteral("transparent.gif"), ToQByteArray(gif.bytes.view())), QStringLiteral("RGBA"));
    EXPECT_TRUE(fromGif.pixels == read.pixels);
}

TEST_F(PngStepTest, OnAChosenPaletteTheTransparentEntryIsTheGifs)
{
    ConversionSettings settings = Settings(true);
    settings.palette = kWebsafePalette;
    settings.maxColours = 24;
    settings.dither = true;
    settings.transparentColour = TColor(0x0033FF);  // red 255, green 51, blue 0: web-safe
    const Bitmap working = testpictures::PatternPicture(90, 70, 4);
    const EncodedResult png = Png(working, Bitmap(), settings);
    const EncodedResult gif = Gif(working, settings);
    const PillowPicture fromPng =
        ReadWithPillow(WriteFile(folder_, QStringLiteral("ws.png"), ToQByteArray(png.bytes.view())), QStringLiteral("RGBA"));
    const PillowPicture fromGif =
        ReadWithPillow(WriteFile(folder_, QStringLiteral("ws.gif"), ToQByteArray(gif.bytes.view())), QStringLiteral("RGBA"));
    ASSERT_TRUE(fromPng.problem.isEmpty() && fromGif.problem.isEmpty());
    EXPECT_TRUE(fromPng.pixels == fromGif.pixels);
}

TEST_F(PngStepTest, AnUnusedTransparentColourMarksNothing)
{
    ConversionSettings settings = Settings(true);
    settings.transparentColour = TColor(0x010203);
    const EncodedResult png = Png(FourColours(), Bitmap(), settings);
    PngChunks chunks;
    Check(png, QStringLiteral("unused.png"), chunks);
    EXPECT_FALSE(chunks.names.contains(QStringLiteral("tRNS")));
    EXPECT_EQ(chunks.paletteEntries, 4);
}

TEST_F(PngStepTest, IndexedIgnoresTheAlphaPlane)
{
    const AlphaPicture drawn = DrawAlphaPicture(40, 30);
    ConversionSettings settings = Settings(true);
    settings.maxColours = 50;
    const EncodedResult withPlane = Png(drawn.working, drawn.alpha, settings);
    const EncodedResult without = Png(drawn.working, Bitmap(), settings);
    EXPECT_EQ(withPlane.bytes, without.bytes);
}

TEST_F(PngStepTest, CancelBetweenRowsEndsSilently)
{
    recorder_.cancel = &cancel_;
    recorder_.cancelAt = QStringLiteral("Saving");
    recorder_.cancelPercent = 30;
    for (const bool indexed : {false, true}) {
        cancel_.Reset();
        recorder_.captions.clear();
        SCOPED_TRACE(indexed);
        EXPECT_THROW(Png(testpictures::PatternPicture(64, 400, 5), Bitmap(), Settings(indexed)), RunCancelled);
        EXPECT_EQ(recorder_.captions.back(), QString());
        EXPECT_TRUE(barText_.isEmpty());
    }
}

TEST_F(PngStepTest, ARunMakesAPngResult)
{
    RunProgress progress;
    RunContext context{progress, cancel_, std::string()};
    ConversionSettings settings = Settings();
    settings.resize = true;
    settings.resizeWidth = 50;
    settings.resizeHeight = 40;
    const EncodedResult result = RunConversion(testpictures::PatternPicture(100, 80), settings, context);
    EXPECT_EQ(result.format, OutputFormat::Png);
    EXPECT_TRUE(result.bytes.view().starts_with("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(result.dimensions, Size(50, 40));
    const PngChunks chunks = ReadPngChunks(ToQByteArray(result.bytes.view()));
    EXPECT_TRUE(chunks.problem.isEmpty());
}

TEST_F(PngStepTest, ALibpngErrorBecomesTheRunsMessage)
{
    // libpng writes no row wider than a million pixels: its error leaves
    // libpng by its own jump and the run ends with its words.
    const Bitmap wide = testpictures::PatternPicture(1'000'001, 1);
    try {
        Png(wide, Bitmap(), Settings());
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), QStringLiteral("The PNG file could not be written: Invalid IHDR data "
                                                  "(Image width exceeds user limit in IHDR)."));
    }
    EXPECT_EQ(recorder_.captions.back(), QString());
}

// The run hands the step the loader's alpha plane: the file keeps it exactly,
// and shows on white as the flattened original did.
TEST_F(PngStepTest, ARunKeepsTheSourcesTransparency)
{
    const AlphaPicture drawn = DrawAlphaPicture(72, 40);
    const Bitmap flattened = FlattenOntoWhite(drawn.working, drawn.alpha);
    RunProgress progress;
    RunContext context{progress, cancel_, std::string()};
    const EncodedResult result = RunConversion(flattened, Settings(), context, drawn.alpha);
    const QString path = WriteFile(folder_, QStringLiteral("run-alpha.png"), ToQByteArray(result.bytes.view()));
    const PillowPicture read = ReadWithPillow(path);
    ASSERT_TRUE(read.problem.isEmpty()) << read.problem.toStdString();
    EXPECT_EQ(read.mode, QStringLiteral("RGBA"));
    EXPECT_TRUE(AlphaOf(read.pixels) == AlphaOf(RgbaBytes(drawn.working, drawn.alpha)));
    EXPECT_LE(LargestDifference(RgbBytes(RgbaShownOnWhite(RgbaPicture(read.pixels, 72, 40))), RgbBytes(flattened)),
              1);
    EXPECT_TRUE(RgbBytes(result.picture) == RgbBytes(RgbaShownOnWhite(RgbaPicture(read.pixels, 72, 40))));

    // An indexed PNG is made from the flattened picture, as the GIF.
    const EncodedResult indexed = RunConversion(flattened, Settings(true), context, drawn.alpha);
    ConversionSettings gif = Settings(true);
    gif.format = OutputFormat::Gif;
    EXPECT_TRUE(RgbBytes(ToWorkingBitmap(indexed.picture))
                == RgbBytes(ToWorkingBitmap(RunConversion(flattened, gif, context, drawn.alpha).picture)));
}
