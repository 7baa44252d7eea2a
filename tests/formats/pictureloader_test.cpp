#include "formats/pictureloader.h"
#include "components/qtbridge.h"

#include "components/errors.h"
#include "effects/pixels.h"
#include "testpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <zlib.h>

using namespace pictaron;
using namespace pictaron::testpictures;

namespace {

class PictureLoaderTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return folder_.filePath(name); }

    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return Path(name);
    }

    // The pattern saved losslessly by the graphics tools in another format.
    QString Convert(const Bitmap& picture, const QString& name, const QStringList& options = {}) const
    {
        const QString ppm = Write(name + QStringLiteral(".source.ppm"), ToPpm(picture));
        RunTool(QStringLiteral("gm"), QStringList{QStringLiteral("convert"), ppm} + options + QStringList{Path(name)});
        return Path(name);
    }

    QString LoadError(const QString& path) const
    {
        try {
            loader_.Load(path);
        } catch (const PictaronError& error) {
            return ToQString(error.message());
        }
        return {};
    }

    QTemporaryDir folder_;
    PictureLoader loader_;
};

bool SamePixels(const Bitmap& a, const Bitmap& b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (!(RowPixels(a, y)[x] == RowPixels(b, y)[x]))
                return false;
    return true;
}

QByteArray PngChunk(const char* type, const QByteArray& data)
{
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(data.size()), chunk.data());
    const QByteArray body = QByteArray(type) + data;
    chunk += body;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()),
                                                      static_cast<uInt>(body.size()))),
                          crc.data());
    return chunk + crc;
}

} // namespace

TEST_F(PictureLoaderTest, LosslessFormatsGiveBackTheExactPixels)
{
    const Bitmap pattern = PatternPicture(37, 23);
    for (const QString name : {"p.pcx", "p.tga", "p.bmp", "p.png", "p.tif", "p.ppm"}) {
        SCOPED_TRACE(name.toStdString());
        const Bitmap loaded = loader_.Load(Convert(pattern, name));
        EXPECT_EQ(loaded.format(), Bitmap::Format_BGR888);
        EXPECT_TRUE(SamePixels(loaded, pattern));
    }
}

namespace {

// Whether this process has the file mapped.
bool IsMapped(const QString& path)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(QFile::encodeName(path));
}

} // namespace

TEST_F(PictureLoaderTest, RunPictureUsesAPpmInPlaceUntilItGoes)
{
    const Bitmap pattern = PatternPicture(37, 23);
    const QByteArray ppm = ToPpm(pattern);
    const QString path = Write(QStringLiteral("p.ppm"), ppm);
    Bitmap picture = loader_.LoadForRun(path);
    EXPECT_EQ(picture.format(), Bitmap::Format_RGB888);
    EXPECT_TRUE(SamePixels(ToWorkingBitmap(picture), pattern));
    EXPECT_TRUE(IsMapped(path));

    // Writing gives the picture pixels of its own; the file stays as it was.
    picture.scanLine(0)[0] = 1;
    EXPECT_EQ(picture.constScanLine(0)[0], 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ppm);
    file.close();

    picture = Bitmap();
    EXPECT_FALSE(IsMapped(path));
}

TEST_F(PictureLoaderTest, RunPictureOfAnyOtherKindIsAWorkingBitmap)
{
    const Bitmap pattern = PatternPicture(37, 23);
    const Bitmap png = loader_.LoadForRun(Convert(pattern, QStringLiteral("p.png")));
    EXPECT_EQ(png.format(), Bitmap::Format_BGR888);
    EXPECT_TRUE(SamePixels(png, pattern));
    const QString cut = Write(QStringLiteral("cut.ppm"), ToPpm(pattern).chopped(3));
    EXPECT_THROW(loader_.LoadForRun(cut), PictaronError);
}

TEST_F(PictureLoaderTest, JpegPixelsEqualTheLibrarysOwnDecoder)
{
    // Colour and greyscale JPEGs, baseline and progressive, decoded with the
    // library's defaults: exactly what its command-line decoder gives.
    const Bitmap pattern = PatternPicture(45, 31);
    for (const QStringList& options : {QStringList{}, QStringList{QStringLiteral("-progressive")},
                                       QStringList{QStringLiteral("-grayscale")}}) {
        SCOPED_TRACE(options.join(' ').toStdString());
        const QByteArray jpeg = RunTool(QStringLiteral("cjpeg"), options, ToPpm(pattern));
        QImage expected;
        expected.loadFromData(RunTool(QStringLiteral("djpeg"), {QStringLiteral("-pnm")}, jpeg));
        const Bitmap loaded = loader_.Load(Write(QStringLiteral("p.jpg"), jpeg));
        EXPECT_TRUE(SamePixels(loaded, ToBitmap(expected.convertToFormat(QImage::Format_BGR888))));
    }
}

TEST_F(PictureLoaderTest, PhotoCdGivesItsBaseImage)
{
    const Bitmap loaded = loader_.Load(Convert(PatternPicture(300, 200), QStringLiteral("photo.pcd")));
    EXPECT_EQ(loaded.size(), Size(768, 512));
}

TEST_F(PictureLoaderTest, MultiPageTiffGivesTheFirstPage)
{
    const QString first = Convert(PatternPicture(20, 10, 1), QStringLiteral("first.png"));
    const QString second = Convert(PatternPicture(30, 40, 2), QStringLiteral("second.png"));
    RunTool(QStringLiteral("gm"), {QStringLiteral("convert"), first, second, Path(QStringLiteral("pages.tif"))});
    const Bitmap loaded = loader_.Load(Path(QStringLiteral("pages.tif")));
    EXPECT_TRUE(SamePixels(loaded, PatternPicture(20, 10, 1)));
}

TEST_F(PictureLoaderTest, AnimationGivesTheFirstFrame)
{
    const Bitmap red = FilledBitmap(8, 8, QColor(255, 0, 0)), blue = FilledBitmap(8, 8, QColor(0, 0, 255));
    const QString a = Convert(red, QStringLiteral("a.gif")), b = Convert(blue, QStringLiteral("b.gif"));
    RunTool(QStringLiteral("gm"), {QStringLiteral("convert"), QStringLiteral("-delay"), QStringLiteral("10"), a, b,
                                   Path(QStringLiteral("anim.gif"))});
    const Bitmap loaded = loader_.Load(Path(QStringLiteral("anim.gif")));
    EXPECT_TRUE(SamePixels(loaded, red));
}

TEST_F(PictureLoaderTest, TheSmallestGifLoads)
{
    // A complete 1×1 GIF of 35 bytes: header, screen, two-entry table, image, one LZW block, trailer.
    const QByteArray gif = QByteArray::fromHex(
        "474946383961010001008000" "00ff0000" "000000" "2c00000000010001000002024401003b");
    ASSERT_EQ(gif.size(), 35);
    const Bitmap loaded = loader_.Load(Write(QStringLiteral("tiny.gif"), gif));
    ASSERT_EQ(loaded.size(), Size(1, 1));
    EXPECT_EQ(RowPixels(loaded, 0)[0], (RGBTriple{0, 0, 255}));
}

TEST_F(PictureLoaderTest, TransparencyIsFlattenedOntoWhite)
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 0));
    picture.setPixel(1, 0, qRgba(0, 0, 255, 255));
    ASSERT_TRUE(picture.save(Path(QStringLiteral("alpha.png"))));
    const Bitmap loaded = loader_.Load(Path(QStringLiteral("alpha.png")));
    EXPECT_EQ(RowPixels(loaded, 0)[0], (RGBTriple{255, 255, 255}));
    EXPECT_EQ(RowPixels(loaded, 0)[1], (RGBTriple{255, 0, 0}));
}

TEST_F(PictureLoaderTest, CmykJpegBecomesRgb)
{
    const Bitmap orange = FilledBitmap(16, 16, QColor(255, 128, 0));
    const QString path = Convert(orange, QStringLiteral("cmyk.jpg"), {QStringLiteral("-colorspace"), QStringLiteral("CMYK")});
    ASSERT_TRUE(RunTool(QStringLiteral("gm"), {QStringLiteral("identify"), QStringLiteral("-verbose"), path})
                    .contains("Colorspace-Name: CMYK"));
    const Bitmap loaded = loader_.Load(path);
    const RGBTriple p = RowPixels(loaded, 8)[8];
    EXPECT_NEAR(p.red, 255, 6);
    EXPECT_NEAR(p.green, 128, 6);
    EXPECT_NEAR(p.blue, 0, 6);
}

TEST_F(PictureLoaderTest, TruncatedJpegStillLoads)
{
    const QString whole = Convert(PatternPicture(120, 90), QStringLiteral("whole.jpg"));
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const Bitmap loaded = loader_.Load(Write(QStringLiteral("cut.jpg"), bytes.left(bytes.size() / 2)));
    EXPECT_EQ(loaded.size(), Size(120, 90));
}

TEST_F(PictureLoaderTest, BadFilesAreRefusedWithTheirName)
{
    const QString missing = Path(QStringLiteral("missing.png"));
    EXPECT_EQ(LoadError(missing), missing + QStringLiteral(" does not exist."));

    const QString empty = Write(QStringLiteral("empty.jpg"), {});
    EXPECT_EQ(LoadError(empty), QStringLiteral("Cannot open %1.  The file is empty.").arg(empty));

    const QString text = Write(QStringLiteral("notes.jpg"), QByteArray("These are my notes, not a picture.\n").repeated(4));
    const QString message = LoadError(text);
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot open ") + text + QStringLiteral(".  "))) << message.toStdString();

    EXPECT_FALSE(LoadError(folder_.path()).isEmpty());
}

TEST_F(PictureLoaderTest, FormatsOutsideTheListAreNotDecoded)
{
    // A vector drawing script is a format the library knows but the program never offers.
    const QString script = Write(QStringLiteral("drawing.mvg"), "push graphic-context\nviewbox 0 0 10 10\npop graphic-context\n");
    EXPECT_FALSE(LoadError(script).isEmpty());
}

TEST_F(PictureLoaderTest, HugeDeclaredSizeIsRefusedBeforeDecoding)
{
    // A PNG that claims 30000 × 30000 pixels and holds almost nothing.
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(30000, header.data());
    qToBigEndian<quint32>(30000, header.data() + 4);
    header[8] = 8;  // bit depth
    header[9] = 2;  // truecolour
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header)
        + PngChunk("IDAT", QByteArray::fromHex("789c030000000001")) + PngChunk("IEND", {});
    const QString path = Write(QStringLiteral("huge.png"), png);
    const QString message = LoadError(path);
    EXPECT_TRUE(message.contains(QStringLiteral("30000 by 30000 pixels"))) << message.toStdString();
    EXPECT_TRUE(message.contains(path));

    // The same for a PPM and a JPEG header, which have their own readers.
    const QString ppm = Write(QStringLiteral("huge.ppm"), "P6\n20000 20000\n255\n");
    EXPECT_TRUE(LoadError(ppm).contains(QStringLiteral("20000 by 20000 pixels"))) << LoadError(ppm).toStdString();
    QByteArray jpeg = RunTool(QStringLiteral("cjpeg"), {}, ToPpm(PatternPicture(16, 16)));
    const int frame = jpeg.indexOf(QByteArray::fromHex("ffc0"));
    ASSERT_GT(frame, 0);
    qToBigEndian<quint16>(40000, jpeg.data() + frame + 5);  // height
    qToBigEndian<quint16>(40000, jpeg.data() + frame + 7);  // width
    const QString huge = Write(QStringLiteral("huge.jpg"), jpeg);
    EXPECT_TRUE(LoadError(huge).contains(QStringLiteral("40000 by 40000 pixels"))) << LoadError(huge).toStdString();
}
