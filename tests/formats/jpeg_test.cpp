#include "components/qtbridge.h"
#include "formats/jpegimage.h"
#include "formats/pictureloader.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "testpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace pictaron;
using namespace pictaron::testpictures;

namespace {

SharedBytes Encode(const Bitmap& picture, int quality, bool progressive, bool greyscale)
{
    TJPEGImage jpeg;
    jpeg.SetGrayscale(greyscale);
    jpeg.Assign(picture);
    jpeg.SetQuality(quality);
    jpeg.SetProgressiveEncoding(progressive);
    jpeg.Compress();
    return jpeg.Data().bytes;
}

// The same pixels through the library's own command-line encoder.
QByteArray EncodeWithCjpeg(const Bitmap& picture, int quality, bool progressive, bool greyscale)
{
    QStringList arguments{QStringLiteral("-quality"), QString::number(quality), QStringLiteral("-baseline")};
    if (progressive)
        arguments << QStringLiteral("-progressive");
    if (greyscale)
        arguments << QStringLiteral("-grayscale");
    return RunTool(QStringLiteral("cjpeg"), arguments, ToPpm(picture));
}

void ExpectSameBytesAsCjpeg(const Bitmap& picture)
{
    for (int quality : {1, 25, 60, 80, 100}) {
        for (bool progressive : {false, true}) {
            for (bool greyscale : {false, true}) {
                SCOPED_TRACE(testing::Message() << "quality " << quality << (progressive ? " progressive" : "")
                                                << (greyscale ? " greyscale" : ""));
                const QByteArray ours = ToQByteArray(Encode(picture, quality, progressive, greyscale).view());
                ASSERT_FALSE(ours.isEmpty());
                EXPECT_EQ(ours, EncodeWithCjpeg(picture, quality, progressive, greyscale));
            }
        }
    }
}

} // namespace

TEST(JpegEncoding, BytesEqualTheLibrarysOwnEncoderOnAPattern)
{
    // Odd sizes exercise partial blocks and padded rows.
    ExpectSameBytesAsCjpeg(PatternPicture(173, 61));
    ExpectSameBytesAsCjpeg(PatternPicture(1, 1));
}

TEST(JpegEncoding, BytesEqualTheLibrarysOwnEncoderOnAPhotograph)
{
    const QString path = SharedTestPicture(QStringLiteral("small-photo.png"));
    if (path.isEmpty())
        GTEST_SKIP() << "shared test pictures not present";
    ExpectSameBytesAsCjpeg(testpictures::Load(PictureLoader(), path));
}

TEST(JpegEncoding, RgbRowsGiveTheBytesOfTheWorkingBitmap)
{
    const Bitmap pattern = PatternPicture(173, 61);
    const Bitmap rgb = ToBitmap(ImageView(pattern).convertToFormat(QImage::Format_RGB888));
    for (bool greyscale : {false, true})
        EXPECT_EQ(Encode(rgb, 80, false, greyscale), Encode(pattern, 80, false, greyscale)) << greyscale;
}

TEST(JpegEncoding, QualityOrdersSizes)
{
    const Bitmap picture = PatternPicture(200, 150);
    EXPECT_LT(Encode(picture, 1, false, false).size(), Encode(picture, 100, false, false).size());
}

TEST(JpegEncoding, ProgressStartsAtZeroAndEndsAtHundred)
{
    TJPEGImage jpeg;
    std::vector<int> seen;
    jpeg.SetProgressHandler([&](int percent) { seen.push_back(percent); });
    jpeg.Assign(PatternPicture(64, 64));
    jpeg.Compress();
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
}

TEST(JpegEncoding, CancellingDiscardsTheBytes)
{
    TJPEGImage jpeg;
    CancelFlag cancel;
    cancel.Cancel();
    jpeg.SetCancelFlag(&cancel);
    jpeg.Assign(PatternPicture(64, 64));
    EXPECT_THROW(jpeg.Compress(), RunCancelled);
    EXPECT_TRUE(jpeg.Data().bytes.empty());
}

TEST(JpegDecoding, HeaderTellsSizeGreyscaleAndScans)
{
    const Bitmap picture = PatternPicture(50, 30);
    TJPEGImage baseline;
    baseline.LoadFromBytes(Encode(picture, 80, false, false));
    EXPECT_EQ(baseline.Width(), 50);
    EXPECT_EQ(baseline.Height(), 30);
    EXPECT_FALSE(baseline.Data().grayscale);
    EXPECT_FALSE(baseline.IsProgressive());

    TJPEGImage progressive;
    progressive.LoadFromBytes(Encode(picture, 80, true, true));
    EXPECT_TRUE(progressive.Data().grayscale);
    EXPECT_TRUE(progressive.IsProgressive());
}

// The library's own decoder, with the settings the result view uses: full
// size, accurate integer IDCT, block smoothing, and for greyscale a map of
// 236 levels.
static Bitmap DecodeWithDjpeg(const QByteArray& jpeg, bool greyscale)
{
    QStringList arguments{QStringLiteral("-dct"), QStringLiteral("int"), QStringLiteral("-pnm")};
    if (greyscale)
        arguments << QStringLiteral("-grayscale") << QStringLiteral("-colors") << QStringLiteral("236");
    QImage decoded;
    decoded.loadFromData(RunTool(QStringLiteral("djpeg"), arguments, jpeg));
    return ToBitmap(decoded.convertToFormat(QImage::Format_BGR888));
}

TEST(JpegDecoding, ShownPictureEqualsTheLibrarysOwnDecoder)
{
    const Bitmap picture = PatternPicture(67, 45);
    for (bool progressive : {false, true}) {
        for (bool greyscale : {false, true}) {
            SCOPED_TRACE(testing::Message() << (progressive ? "progressive" : "baseline")
                                            << (greyscale ? " greyscale" : " colour"));
            const SharedBytes bytes = Encode(picture, 75, progressive, greyscale);
            TJPEGImage jpeg;
            jpeg.LoadFromBytes(bytes);
            const Bitmap shown = jpeg.Decode();
            ASSERT_EQ(shown.format(), Bitmap::Format_BGR888);
            EXPECT_EQ(shown, DecodeWithDjpeg(ToQByteArray(bytes.view()), greyscale));
        }
    }
}

TEST(JpegDecoding, GreyscaleIsShownInAtMost236Levels)
{
    // A smooth ramp of all 256 levels must come back through the 236-level map.
    Bitmap ramp = NewWorkingBitmap(256, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 256; ++x)
            RowPixels(ramp, y)[x] = RGBTriple{std::uint8_t(x), std::uint8_t(x), std::uint8_t(x)};
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(Encode(ramp, 100, false, true));
    const Bitmap shown = jpeg.Decode();
    std::set<int> levels;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const RGBTriple p = RowPixels(shown, y)[x];
            ASSERT_TRUE(p.red == p.green && p.green == p.blue);
            levels.insert(p.red);
        }
    EXPECT_LE(levels.size(), 236u);
    EXPECT_GT(levels.size(), 100u);
}

TEST(JpegDecoding, BrokenDataRaisesTheLibrarysErrorNumber)
{
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromBytes(SharedBytes("\xFF\xD8\xFF\xE0 this is not a JPEG stream at all"));
        jpeg.Decode();
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_TRUE(ToQString(error.message()).startsWith(QStringLiteral("JPEG error #"))) << error.what();
    }
}
