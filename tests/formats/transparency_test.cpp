// Pictures with transparency: the loader's alpha plane against Pillow's own
// reading of the same files, and WebP and AVIF found by their signatures.
#include "components/errors.h"
#include "components/qtbridge.h"
#include "effects/pixels.h"
#include "formats/pictureformat.h"
#include "formats/pictureloader.h"
#include "testpictures.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstring>

using namespace pictaron;
using namespace pictaron::testpictures;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// Writes a 40 × 24 RGBA picture with Pillow: colours from x and y, alpha a
// ramp across (0 at the left edge, 255 at the right) with a fully opaque
// bottom row, saved as name (the extension picks the format, lossless for
// WebP); then the same picture as raw RGBA bytes beside it, "<name>.rgba".
// With orientation, an EXIF block carrying it.
void WriteRgba(const QString& path, int orientation = 1)
{
    const QString script = QStringLiteral(R"(
import sys
from PIL import Image
w, h = 40, 24
im = Image.new("RGBA", (w, h))
for y in range(h):
    for x in range(w):
        a = 255 if y == h - 1 else round(x * 255 / (w - 1))
        im.putpixel((x, y), ((x * 6) % 256, (y * 10) % 256, (x * y) % 256, a))
path, orientation = sys.argv[1], int(sys.argv[2])
options = {"lossless": True} if path.endswith(".webp") else {}
if orientation != 1:
    exif = Image.Exif()
    exif[0x0112] = orientation
    options["exif"] = exif.tobytes()
im.save(path, **options)
open(path + ".rgba", "wb").write(im.tobytes())
)");
    RunTool(kPython, {QStringLiteral("-c"), script, path, QString::number(orientation)});
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// The alpha channel of raw RGBA rows as a plane.
Bitmap AlphaOfRgba(const QByteArray& rgba, int width, int height)
{
    Bitmap plane(width, height, Bitmap::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            plane.scanLine(y)[x] = static_cast<uchar>(rgba[4 * (y * width + x) + 3]);
    return plane;
}

bool SamePlane(const Bitmap& a, const Bitmap& b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), static_cast<size_t>(a.width())) != 0)
            return false;
    return true;
}

// The largest difference between the loaded (flattened) colours and the
// RGBA source flattened onto white.
int LargestFlatteningError(const Bitmap& loaded, const QByteArray& rgba)
{
    int largest = 0;
    for (int y = 0; y < loaded.height(); ++y) {
        const RGBTriple* row = RowPixels(loaded, y);
        for (int x = 0; x < loaded.width(); ++x) {
            const uchar* p = reinterpret_cast<const uchar*>(rgba.constData()) + 4 * (y * loaded.width() + x);
            const auto flat = [&](int c) { return (c * p[3] + 255 * (255 - p[3]) + 127) / 255; };
            largest = std::max({largest, std::abs(row[x].red - flat(p[0])), std::abs(row[x].green - flat(p[1])),
                                std::abs(row[x].blue - flat(p[2]))});
        }
    }
    return largest;
}

class TransparencyTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return folder_.filePath(name); }
    QTemporaryDir folder_;
    PictureLoader loader_;
};

} // namespace

TEST_F(TransparencyTest, AlphaPlaneIsTheFilesAlphaAndThePixelsAreFlattenedOntoWhite)
{
    for (const QString name : {"a.png", "a.webp", "a.tif"}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = Path(name);
        WriteRgba(path);
        const QByteArray rgba = ReadAll(path + QStringLiteral(".rgba"));
        Bitmap alpha;
        const Bitmap picture = testpictures::Load(loader_, path, nullptr, &alpha);
        ASSERT_EQ(picture.size(), Size(40, 24));
        EXPECT_TRUE(SamePlane(alpha, AlphaOfRgba(rgba, 40, 24)));
        EXPECT_LE(LargestFlatteningError(picture, rgba), 1);
        // The same picture without asking for its alpha: the same pixels.
        EXPECT_EQ(testpictures::Load(loader_, path), picture);
    }
}

TEST_F(TransparencyTest, AvifWithAlphaOpensWithItsPlane)
{
    const QString png = Path(QStringLiteral("a.png"));
    WriteRgba(png);
    const QString avif = Path(QStringLiteral("a.avif"));
    RunTool(QStringLiteral("avifenc"), {QStringLiteral("-l"), QStringLiteral("-s"), QStringLiteral("10"), png, avif});
    Bitmap alpha;
    const Bitmap picture = testpictures::Load(loader_, avif, nullptr, &alpha);
    ASSERT_EQ(picture.size(), Size(40, 24));
    // Lossless: the alpha exactly, the colours within rounding of the
    // colour conversion.
    const QByteArray rgba = ReadAll(png + QStringLiteral(".rgba"));
    EXPECT_TRUE(SamePlane(alpha, AlphaOfRgba(rgba, 40, 24)));
    EXPECT_LE(LargestFlatteningError(picture, rgba), 2);
}

TEST_F(TransparencyTest, OpaquePicturesHaveNoPlane)
{
    // An RGBA file whose pixels are all opaque, and an RGB one.
    const QString rgba = Path(QStringLiteral("opaque.png"));
    RunTool(kPython, {QStringLiteral("-c"),
                      QStringLiteral("import sys; from PIL import Image; "
                                     "Image.new('RGBA', (9, 7), (10, 20, 30, 255)).save(sys.argv[1]); "
                                     "Image.new('RGB', (9, 7), (10, 20, 30)).save(sys.argv[2])"),
                      rgba, Path(QStringLiteral("rgb.png"))});
    for (const QString& path : {rgba, Path(QStringLiteral("rgb.png"))}) {
        Bitmap alpha(3, 3, Bitmap::Format_Grayscale8);
        const Bitmap picture = testpictures::Load(loader_, path, nullptr, &alpha);
        EXPECT_EQ(ImageView(picture).pixel(4, 3), qRgb(10, 20, 30));
        EXPECT_TRUE(alpha.isNull()) << path.toStdString();
    }
}

TEST_F(TransparencyTest, PlaneIsTurnedUprightWithThePicture)
{
    // Orientation 6: the stored picture turned a quarter clockwise, so the
    // upright picture's top row is the stored left column read bottom up.
    const QString path = Path(QStringLiteral("turned.png"));
    WriteRgba(path, 6);
    const Bitmap stored = AlphaOfRgba(ReadAll(path + QStringLiteral(".rgba")), 40, 24);
    Bitmap alpha;
    const Bitmap picture = testpictures::Load(loader_, path, nullptr, &alpha);
    ASSERT_EQ(picture.size(), Size(24, 40));
    ASSERT_EQ(alpha.size(), Size(24, 40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 24; ++x)
            ASSERT_EQ(alpha.constScanLine(y)[x], stored.constScanLine(23 - x)[y]) << x << "," << y;

    Bitmap kept;
    testpictures::Load(PictureLoader(LoadOptions{false, true}), path, nullptr, &kept);
    EXPECT_TRUE(SamePlane(kept, stored));
}

// Raw RGBA rows turned quarterTurns times anticlockwise and then mirrored
// (0 top and bottom, 1 left and right, -1 not at all); width and height
// become the turned picture's.
QByteArray TransformedRgba(const QByteArray& rgba, int& width, int& height, int quarterTurns, int mirror)
{
    QByteArray turned = rgba;
    for (int turn = 0; turn < quarterTurns; ++turn) {
        // Anticlockwise: the old last column becomes the first row.
        QByteArray next(turned.size(), '\0');
        for (int y = 0; y < width; ++y)
            for (int x = 0; x < height; ++x)
                std::memcpy(next.data() + 4 * (y * height + x), turned.constData() + 4 * (x * width + width - 1 - y), 4);
        turned = next;
        std::swap(width, height);
    }
    QByteArray mirrored = turned;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int sx = mirror == 1 ? width - 1 - x : x;
            const int sy = mirror == 0 ? height - 1 - y : y;
            std::memcpy(mirrored.data() + 4 * (y * width + x), turned.constData() + 4 * (sy * width + sx), 4);
        }
    return mirrored;
}

TEST_F(TransparencyTest, AvifOpensTurnedAndMirroredAsItsPropertiesSay)
{
    const QString png = Path(QStringLiteral("a.png"));
    WriteRgba(png);
    const QByteArray rgba = ReadAll(png + QStringLiteral(".rgba"));
    for (int quarterTurns = 0; quarterTurns < 4; ++quarterTurns)
        for (int mirror = -1; mirror <= 1; ++mirror) {
            SCOPED_TRACE(testing::Message() << "irot " << quarterTurns << ", imir " << mirror);
            const QString avif = Path(QStringLiteral("t%1%2.avif").arg(quarterTurns).arg(mirror + 1));
            QStringList arguments{QStringLiteral("-l"), QStringLiteral("-s"), QStringLiteral("10"),
                                  QStringLiteral("--irot"), QString::number(quarterTurns)};
            if (mirror >= 0)
                arguments << QStringLiteral("--imir") << QString::number(mirror);
            RunTool(QStringLiteral("avifenc"), arguments << png << avif);
            int width = 40, height = 24;
            const QByteArray shown = TransformedRgba(rgba, width, height, quarterTurns, mirror);
            Bitmap alpha;
            const Bitmap picture = testpictures::Load(loader_, avif, nullptr, &alpha);
            ASSERT_EQ(picture.size(), Size(width, height));
            EXPECT_TRUE(SamePlane(alpha, AlphaOfRgba(shown, width, height)));
            EXPECT_LE(LargestFlatteningError(picture, shown), 2);
        }
}

// A fuzzer's find, with a colour profile: the picture library's reader of
// the format read past the rows of its decoded frame. It opens with the
// pixels avifdec decodes, through the same profile.
TEST_F(TransparencyTest, AvifOpensWithThePixelsAvifdecDecodes)
{
    const QString avif = QStringLiteral(PICTARON_FORMATS_TEST_DATA "/fuzzed-frame.avif");
    const QString decoded = Path(QStringLiteral("avifdec.png"));
    RunTool(QStringLiteral("avifdec"), {avif, decoded});
    const Bitmap picture = testpictures::Load(loader_, avif);
    ASSERT_EQ(picture.size(), Size(37, 1024));
    EXPECT_EQ(picture, testpictures::Load(loader_, decoded));
}

TEST_F(TransparencyTest, AvifIsKnownByItsBrandAndNoOtherMediaFileIs)
{
    const QString png = Path(QStringLiteral("p.png"));
    WriteRgba(png);
    const QString avif = Path(QStringLiteral("p.avif"));
    RunTool(QStringLiteral("avifenc"), {QStringLiteral("-s"), QStringLiteral("10"), png, avif});
    const QByteArray bytes = ReadAll(avif);
    const FormatVerdict verdict = DetectPictureFormat(BytesView(bytes), "photo.jpg");
    EXPECT_TRUE(verdict.known);
    EXPECT_EQ(verdict.format, PictureFormat::Avif);

    // The same container naming only HEIC brands, and one whose first box
    // claims more bytes than the file has.
    QByteArray heic = bytes;
    for (qsizetype at = heic.indexOf("avif"); at >= 0 && at < 64; at = heic.indexOf("avif", at))
        heic.replace(at, 4, "heic");
    EXPECT_FALSE(DetectPictureFormat(BytesView(heic), "p.avif").known);
    QByteArray cut = bytes.left(20);
    cut[3] = 64;
    EXPECT_FALSE(DetectPictureFormat(BytesView(cut), "p.avif").known);
}

TEST_F(TransparencyTest, WebpDeclaringAHugeCanvasIsRefusedBeforeDecoding)
{
    // Each WebP kind's header, declaring its largest canvas in a file of 40
    // bytes: 16384 × 16384 for the extended and lossless kinds, whose sizes
    // are stored less one, 16383 × 16383 for a lossy key frame.
    const auto riff = [](const QByteArray& chunk) {
        QByteArray bytes = QByteArray("RIFF") + QByteArray(4, '\0') + "WEBP" + chunk;
        bytes.resize(40, '\0');
        return bytes;
    };
    const std::pair<QByteArray, std::int64_t> kinds[] = {
        {riff(QByteArray("VP8X") + QByteArray(8, '\0') + QByteArray("\xFF\x3F\x00\xFF\x3F\x00", 6)), 16384},
        {riff(QByteArray("VP8L") + QByteArray(4, '\0') + QByteArray("\x2F\xFF\xFF\xFF\x0F", 5)), 16384},
        {riff(QByteArray("VP8 ") + QByteArray(4, '\0') + QByteArray("\0\0\0\x9D\x01\x2A\xFF\x3F\xFF\x3F", 10)), 16383},
    };
    for (const auto& [bytes, side] : kinds) {
        const auto size = DeclaredSize(PictureFormat::Webp, BytesView(bytes));
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(*size, std::make_pair(side, side));
        try {
            testpictures::LoadFromMemory(loader_, bytes, QStringLiteral("huge.webp"));
            ADD_FAILURE() << "a WebP of " << side << " by " << side << " pixels opened";
        } catch (const PictaronError& error) {
            EXPECT_TRUE(ToQString(error.message()).contains(QStringLiteral("%1 by %1 pixels").arg(side)))
                << error.message();
        }
    }
}
