// Pictures as cameras and phones write them: EXIF Orientation, embedded ICC
// profiles and metadata. Every tagged file is made here by Pillow or exiftool
// from a shared test picture, and every expectation comes from them too
// (Pillow's exif_transpose and ImageCms, exiftool's reading of the results).
#include "components/qtbridge.h"
#include "formats/pictureloader.h"

#include "app/report.h"
#include "components/errors.h"
#include "formats/metadatawrite.h"
#include "formats/sourcetags.h"
#include "testpictures.h"
#include "testprofiles.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

using namespace pictaron;
using namespace pictaron::testpictures;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kAdobeRgb = QStringLiteral("/usr/share/color/icc/compatibleWithAdobeRGB1998.icc");

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Store(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The largest difference of any channel; -1 when the sizes differ.
int LargestDifference(const Bitmap& a, const Bitmap& b)
{
    if (a.size() != b.size())
        return -1;
    const Bitmap x = ToBitmap(ImageView(a).convertToFormat(QImage::Format_RGB888));
    const Bitmap y = ToBitmap(ImageView(b).convertToFormat(QImage::Format_RGB888));
    int largest = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int i = 0; i < 3 * x.width(); ++i)
            largest = std::max(largest, std::abs(x.constScanLine(row)[i] - y.constScanLine(row)[i]));
    return largest;
}

// Makes the test files from a 320 × 200 corner of the small photo (its own
// sRGB profile dropped), and Pillow's idea of how each should look:
//   o<N>.<ext> with EXIF Orientation N, want-o<N>.<ext>.ppm exif_transposed;
//   <profile>.<ext> with that profile, want-<profile>.<ext>.ppm converted to
//   sRGB by ImageCms (perceptual, black-point compensation).
const char* kMakeScript = R"(
import sys, io
from PIL import Image, ImageOps, ImageCms
source, folder = sys.argv[1], sys.argv[2]
profiles = sys.argv[3:]
im = Image.open(source).convert('RGB').crop((0, 0, 320, 200))
im.info = {}
def want(path, picture):
    picture.convert('RGB').save(path + '.ppm')
for n in range(1, 9):
    ex = Image.Exif(); ex[0x0112] = n
    for ext, extra in (('png', {}), ('tif', {}), ('webp', {'lossless': True}), ('jpg', {'quality': 95})):
        path = '%s/o%d.%s' % (folder, n, ext)
        im.save(path, exif=ex.tobytes(), **extra)
        want('%s/want-o%d.%s' % (folder, n, ext), ImageOps.exif_transpose(Image.open(path)))
srgb = ImageCms.createProfile('sRGB')
flags = ImageCms.FLAGS['BLACKPOINTCOMPENSATION']
for i in range(0, len(profiles), 2):
    name, icc = profiles[i], open(profiles[i + 1], 'rb').read()
    for ext, extra in (('png', {}), ('tif', {}), ('webp', {'lossless': True}), ('jpg', {'quality': 95})):
        path = '%s/%s.%s' % (folder, name, ext)
        im.save(path, icc_profile=icc, **extra)
        decoded = Image.open(path).convert('RGB')
        converted = ImageCms.profileToProfile(decoded, ImageCms.ImageCmsProfile(io.BytesIO(icc)), srgb,
                                              renderingIntent=0, flags=flags)
        want('%s/want-%s.%s' % (folder, name, ext), converted)
        decoded.save('%s/plain-%s.%s.ppm' % (folder, name, ext))
)";

const QStringList kExtensions{QStringLiteral("png"), QStringLiteral("tif"), QStringLiteral("webp"),
                              QStringLiteral("jpg")};

class SourceTagsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new QTemporaryDir;
        const QString source = SharedTestPicture(QStringLiteral("small-photo.png"));
        if (source.isEmpty())
            return;
        Store(folder_->filePath(QStringLiteral("p3.icc")), DisplayP3Profile());
        QStringList arguments{QStringLiteral("-c"), QString::fromLatin1(kMakeScript), source, folder_->path(),
                              QStringLiteral("p3"), folder_->filePath(QStringLiteral("p3.icc"))};
        if (QFile::exists(kAdobeRgb))
            arguments << QStringLiteral("adobe") << kAdobeRgb;
        RunTool(kPython, arguments);
        ready_ = true;
    }
    static void TearDownTestSuite() { delete folder_; }

    void SetUp() override
    {
        if (!ready_)
            GTEST_SKIP() << "the shared test pictures are not here";
    }

    static QString Path(const QString& name) { return folder_->filePath(name); }
    static Bitmap Want(const QString& name)
    {
        return ToBitmap(QImage(Path(QStringLiteral("want-") + name + QStringLiteral(".ppm"))));
    }

    static inline QTemporaryDir* folder_ = nullptr;
    static inline bool ready_ = false;
};

TEST_F(SourceTagsTest, EveryOrientationIsTurnedUprightAsPillowTurnsIt)
{
    const PictureLoader loader;
    for (int n = 1; n <= 8; ++n)
        for (const QString& ext : kExtensions) {
            const QString name = QStringLiteral("o%1.%2").arg(n).arg(ext);
            QStringList warnings;
            const Bitmap picture = testpictures::Load(loader, Path(name), &warnings);
            // Pillow leaves a TIFF as stored; its pixels are the PNG's.
            const Bitmap want = ext == QLatin1String("tif") ? Want(QStringLiteral("o%1.png").arg(n)) : Want(name);
            ASSERT_FALSE(want.isNull()) << name.toStdString();
            EXPECT_EQ(picture.size(), n >= 5 ? Size(200, 320) : Size(320, 200)) << name.toStdString();
            // Lossless formats to the bit; a JPEG as two decoders read it.
            EXPECT_LE(LargestDifference(picture, want), ext == QLatin1String("jpg") ? 2 : 0) << name.toStdString();
            EXPECT_GE(LargestDifference(picture, want), 0) << name.toStdString();
            EXPECT_TRUE(warnings.isEmpty()) << name.toStdString();
            const SourceTags tags = SourceTagsOf(picture);
            EXPECT_EQ(tags.orientation, n) << name.toStdString();
            EXPECT_EQ(tags.orientationApplied, n != 1) << name.toStdString();
        }
}

TEST_F(SourceTagsTest, KeptOrientationLeavesThePictureAsStored)
{
    const PictureLoader upright;
    const PictureLoader asStored(LoadOptions{false, true});
    for (const QString& ext : kExtensions) {
        const Bitmap stored = testpictures::Load(asStored, Path(QStringLiteral("o6.") + ext));
        EXPECT_EQ(stored.size(), Size(320, 200));
        EXPECT_EQ(LargestDifference(stored, testpictures::Load(upright, Path(QStringLiteral("o1.") + ext))), 0);
        EXPECT_FALSE(SourceTagsOf(stored).orientationApplied);
        EXPECT_EQ(SourceTagsOf(stored).orientation, 6);
    }
}

TEST_F(SourceTagsTest, TheSourceInfoSaysWhatWasApplied)
{
    const PictureLoader loader;
    const Bitmap turned = testpictures::Load(loader, Path(QStringLiteral("o6.png")));
    EXPECT_EQ(OpenedSourceInfo("a.png", 2048, turned), " a.png\r\n 200 by 320 pixels, 2.0 K, rotated 90°");
    EXPECT_EQ(DescribeAppliedTags(SourceTagsOf(testpictures::Load(loader, Path(QStringLiteral("o8.png"))))),
              "rotated 270°");
    EXPECT_EQ(DescribeAppliedTags(SourceTagsOf(testpictures::Load(loader, Path(QStringLiteral("p3.png"))))),
              "converted from Display P3");
    // Untagged: the text as ever.
    const Bitmap plain = testpictures::Load(loader, Path(QStringLiteral("o1.png")));
    EXPECT_EQ(OpenedSourceInfo("a.png", 2048, plain), " a.png\r\n 320 by 200 pixels, 2.0 K");
}

TEST_F(SourceTagsTest, WideGamutPicturesAreConvertedToSrgbAsImageCmsConverts)
{
    const PictureLoader loader;
    QStringList profiles{QStringLiteral("p3")};
    if (QFile::exists(kAdobeRgb))
        profiles << QStringLiteral("adobe");
    for (const QString& profile : profiles)
        for (const QString& ext : kExtensions) {
            const QString name = profile + QLatin1Char('.') + ext;
            QStringList warnings;
            const Bitmap picture = testpictures::Load(loader, Path(name), &warnings);
            EXPECT_TRUE(warnings.isEmpty()) << name.toStdString();
            const int difference = LargestDifference(picture, Want(name));
            EXPECT_GE(difference, 0) << name.toStdString();
            EXPECT_LE(difference, 1) << name.toStdString();
            // And the conversion did something: saturated colours move.
            const Bitmap plain = ToBitmap(QImage(Path(QStringLiteral("plain-") + name + QStringLiteral(".ppm"))));
            EXPECT_GT(LargestDifference(picture, plain), 10) << name.toStdString();
            EXPECT_TRUE(SourceTagsOf(picture).profileConverted) << name.toStdString();
            // Kept: the colours as stored.
            const Bitmap kept = testpictures::Load(PictureLoader(LoadOptions{true, false}), Path(name));
            EXPECT_LE(LargestDifference(kept, plain), ext == QLatin1String("jpg") ? 2 : 0) << name.toStdString();
        }
}

// CMYK pictures with the CMYK profile ghostscript ships (libgs-common, the
// only free one in Debian): a ramp of colours converted into the profile by
// ImageCms, written by Pillow as a JPEG (inverted samples under an Adobe
// APP14 marker, as Photoshop writes them) and as a TIFF, and by libjpeg here
// as a YCCK JPEG (Adobe transform 2, Photoshop's usual form). Pillow decodes
// each and ImageCms converts it to sRGB with the perceptual intent and
// black-point compensation: want-<name>.ppm; plain-<name>.ppm is Pillow's
// conversion that ignores the profile.
const QString kCmykProfile = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");

const char* kMakeCmykScript = R"(
import sys, io
from PIL import Image, ImageCms
folder, path = sys.argv[1], sys.argv[2]
icc = open(path, 'rb').read()
cmyk = ImageCms.ImageCmsProfile(io.BytesIO(icc))
srgb = ImageCms.createProfile('sRGB')
flags = ImageCms.FLAGS['BLACKPOINTCOMPENSATION']
im = Image.new('RGB', (96, 64))
im.putdata([(x * 255 // 95, y * 255 // 63, (x * 7 + y * 11) % 256) for y in range(64) for x in range(96)])
ink = ImageCms.profileToProfile(im, srgb, cmyk, renderingIntent=0, outputMode='CMYK', flags=flags)
open(folder + '/ink.raw', 'wb').write(ink.tobytes())
ink.save(folder + '/cmyk.jpg', quality=95, icc_profile=icc)
ink.save(folder + '/cmyk.tif', icc_profile=icc)
)";

const char* kWantCmykScript = R"(
import sys, io
from PIL import Image, ImageCms
folder, path, names = sys.argv[1], sys.argv[2], sys.argv[3:]
icc = open(path, 'rb').read()
cmyk = ImageCms.ImageCmsProfile(io.BytesIO(icc))
srgb = ImageCms.createProfile('sRGB')
flags = ImageCms.FLAGS['BLACKPOINTCOMPENSATION']
for name in names:
    decoded = Image.open(folder + '/' + name)
    assert decoded.mode == 'CMYK', name
    converted = ImageCms.profileToProfile(decoded, cmyk, srgb, renderingIntent=0, outputMode='RGB', flags=flags)
    converted.save(folder + '/want-' + name + '.ppm')
    decoded.convert('RGB').save(folder + '/plain-' + name + '.ppm')
)";

// The ink (CMYK samples, 0 = none) as Photoshop stores it in a JPEG: each
// sample inverted, transformed to YCCK, with an Adobe marker and the profile.
QByteArray YcckJpeg(const QByteArray& ink, int width, int height, const QByteArray& icc)
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, JCS_YCCK);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    jpeg_write_icc_profile(&cinfo, reinterpret_cast<const JOCTET*>(icc.constData()),
                           static_cast<unsigned int>(icc.size()));
    std::vector<JSAMPLE> row(4 * static_cast<std::size_t>(width));
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto* in = reinterpret_cast<const unsigned char*>(ink.constData()) + row.size() * cinfo.next_scanline;
        for (std::size_t i = 0; i < row.size(); ++i)
            row[i] = static_cast<JSAMPLE>(255 - in[i]);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray jpeg(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return jpeg;
}

TEST(CmykPictures, AreConvertedThroughTheirProfileAsImageCmsConverts)
{
    if (!QFile::exists(kCmykProfile))
        GTEST_SKIP() << "no CMYK profile: " << kCmykProfile.toStdString() << " comes with the package libgs-common";
    QTemporaryDir folder;
    const auto path = [&folder](const QString& name) { return folder.filePath(name); };
    RunTool(kPython, {QStringLiteral("-c"), QString::fromLatin1(kMakeCmykScript), folder.path(), kCmykProfile});
    const QByteArray icc = Contents(kCmykProfile);
    const QByteArray ink = Contents(path(QStringLiteral("ink.raw")));
    ASSERT_EQ(ink.size(), 4 * 96 * 64);
    Store(path(QStringLiteral("ycck.jpg")), YcckJpeg(ink, 96, 64, icc));
    const QStringList names{QStringLiteral("cmyk.jpg"), QStringLiteral("cmyk.tif"), QStringLiteral("ycck.jpg")};
    RunTool(kPython, QStringList{QStringLiteral("-c"), QString::fromLatin1(kWantCmykScript), folder.path(), kCmykProfile}
                         + names);

    // What the files hold: an Adobe marker over inverted samples in Pillow's
    // JPEG (transform 0: no colour transform) and in the YCCK one (2).
    const QByteArray jpeg = Contents(path(QStringLiteral("cmyk.jpg")));
    ASSERT_TRUE(jpeg.contains(QByteArray("\xFF\xEE\x00\x0E" "Adobe", 9)));
    EXPECT_EQ(jpeg.at(jpeg.indexOf("Adobe") + 11), '\0');
    const QByteArray ycck = Contents(path(QStringLiteral("ycck.jpg")));
    ASSERT_TRUE(ycck.contains("Adobe"));
    EXPECT_EQ(ycck.at(ycck.indexOf("Adobe") + 11), '\x02');

    const PictureLoader loader;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        QStringList warnings;
        const Bitmap picture = testpictures::Load(loader, path(name), &warnings);
        EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('|')).toStdString();
        const Bitmap want = ToBitmap(QImage(path(QStringLiteral("want-") + name + QStringLiteral(".ppm"))));
        ASSERT_FALSE(want.isNull());
        const int difference = LargestDifference(picture, want);
        EXPECT_GE(difference, 0);
        EXPECT_LE(difference, 1);
        // The profile did something: its colours are not the plain formula's.
        const Bitmap plain = ToBitmap(QImage(path(QStringLiteral("plain-") + name + QStringLiteral(".ppm"))));
        EXPECT_GT(LargestDifference(picture, plain), 10);
        const SourceTags tags = SourceTagsOf(picture);
        EXPECT_TRUE(tags.profileConverted);
        EXPECT_EQ(tags.profileName, "Artifex CMYK SWOP Profile");
        EXPECT_EQ(ToQByteArray(tags.icc), icc);
        // A CMYK profile describes no RGB result: converted whatever the
        // options say, and never embedded.
        const Bitmap kept = testpictures::Load(PictureLoader(LoadOptions{true, false}), path(name));
        EXPECT_LE(LargestDifference(kept, want), 1);
    }
}

// A JPEG with the picture's pixels and extra segments right after SOI.
QByteArray JpegWithSegments(const QList<QPair<int, QByteArray>>& segments)
{
    const QByteArray plain = RunTool(QStringLiteral("cjpeg"), {}, ToPpm(PatternPicture(64, 48)));
    QByteArray jpeg = plain.left(2);
    for (const auto& [marker, payload] : segments) {
        jpeg += char(0xFF);
        jpeg += char(marker);
        const int length = static_cast<int>(payload.size()) + 2;
        jpeg += char(length >> 8);
        jpeg += char(length & 0xFF);
        jpeg += payload;
    }
    return jpeg + plain.mid(2);
}

QByteArray IccChunk(int sequence, int count, const QByteArray& part)
{
    return QByteArray("ICC_PROFILE\0", 12) + char(sequence) + char(count) + part;
}

TEST_F(SourceTagsTest, AProfileOverSeveralSegmentsIsJoinedAndUsed)
{
    const QByteArray icc = DisplayP3Profile(150'000);
    ASSERT_GT(icc.size(), 2 * 65519);
    const int count = static_cast<int>((icc.size() + 65518) / 65519);
    QList<QPair<int, QByteArray>> segments;
    for (int i = 0; i < count; ++i)
        segments.append({0xE2, IccChunk(i + 1, count, icc.mid(i * 65519, 65519))});
    const QString path = Path(QStringLiteral("split.jpg"));
    Store(path, JpegWithSegments(segments));
    QStringList warnings;
    const Bitmap picture = testpictures::Load(PictureLoader(), path, &warnings);
    EXPECT_TRUE(warnings.isEmpty());
    const SourceTags tags = SourceTagsOf(picture);
    EXPECT_EQ(ToQByteArray(tags.icc), icc);
    EXPECT_TRUE(tags.profileConverted);
    EXPECT_EQ(tags.profileName, "Display P3");
}

TEST_F(SourceTagsTest, HostileTagsAreIgnoredWithOneWarningAtMost)
{
    const QByteArray icc = DisplayP3Profile();
    // EXIF: an IFD whose next-IFD offset points at itself, with a count far
    // beyond the segment, and the orientation entry pointing outside.
    QByteArray loop("MM\0*\0\0\0\x08", 8);
    loop += QByteArray("\0\x02", 2);                              // two entries
    loop += QByteArray("\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 12); // Orientation 6
    loop += QByteArray("\x01\x0f\0\x02\x7f\xff\xff\xff\0\0\x10\0", 12); // Make, 2 GB at 4096
    loop += QByteArray("\0\0\0\x08", 4);                          // next IFD: itself
    const QByteArray exifLoop = QByteArray("Exif\0\0", 6) + loop;
    const QByteArray exifCut = QByteArray("Exif\0\0", 6) + loop.left(13);
    const struct {
        const char* name;
        QList<QPair<int, QByteArray>> segments;
        int warnings;
    } cases[] = {
        {"exif-loop", {{0xE1, exifLoop}}, 0},
        {"exif-cut", {{0xE1, exifCut}}, 0},
        {"exif-empty", {{0xE1, QByteArray("Exif\0\0", 6)}}, 0},
        {"icc-truncated", {{0xE2, IccChunk(1, 1, icc.left(icc.size() / 2))}}, 1},
        {"icc-missing-chunk", {{0xE2, IccChunk(1, 2, icc)}}, 1},
        {"icc-bad-sequence", {{0xE2, IccChunk(0, 0, icc)}}, 1},
        {"icc-header-only", {{0xE2, IccChunk(1, 1, icc.left(128))}}, 1},
        {"icc-tag-count-huge", {{0xE2, IccChunk(1, 1, icc.left(128) + QByteArray("\x7f\xff\xff\xff", 4) + icc.mid(132))}}, 1},
    };
    for (const auto& c : cases) {
        const QString path = Path(QString::fromLatin1(c.name) + QStringLiteral(".jpg"));
        Store(path, JpegWithSegments(c.segments));
        QStringList warnings;
        Bitmap picture;
        EXPECT_NO_THROW(picture = testpictures::Load(PictureLoader(), path, &warnings)) << c.name;
        // The loop case's orientation entry itself is sound and may be used.
        EXPECT_TRUE(picture.size() == Size(64, 48) || picture.size() == Size(48, 64)) << c.name;
        EXPECT_EQ(warnings.size(), c.warnings) << c.name << " " << warnings.join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(SourceTagsOf(picture).profileConverted) << c.name;
        for (const QString& warning : warnings)
            EXPECT_TRUE(warning.contains(path)) << c.name;
    }
    // A profile beyond the loader's limit, whole over its segments.
    const QByteArray big = DisplayP3Profile(static_cast<int>(kMaxProfileBytes) + 1000);
    const int count = static_cast<int>((big.size() + 65518) / 65519);
    QList<QPair<int, QByteArray>> segments;
    for (int i = 0; i < count; ++i)
        segments.append({0xE2, IccChunk(i + 1, count, big.mid(i * 65519, 65519))});
    const QString path = Path(QStringLiteral("big.jpg"));
    Store(path, JpegWithSegments(segments));
    QStringList warnings;
    const Bitmap picture = testpictures::Load(PictureLoader(), path, &warnings);
    EXPECT_EQ(picture.size(), Size(64, 48));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].contains(QStringLiteral("larger than 4 MB"))) << warnings[0].toStdString();
    EXPECT_TRUE(SourceTagsOf(picture).icc.empty());
}

// pictaron-cli and exiftool. A run here succeeds and says nothing on
// standard error; its standard output is returned.
QByteArray Cli(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(PICTARON_CLI), arguments);
    EXPECT_TRUE(process.waitForFinished(120'000));
    const QByteArray errors = process.readAllStandardError();
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << errors.toStdString();
    EXPECT_EQ(errors, QByteArray());
    return process.readAllStandardOutput();
}

QJsonObject ExifTool(const QString& path)
{
    const QByteArray json = RunTool(QStringLiteral("exiftool"), {QStringLiteral("-j"), QStringLiteral("-G1"),
                                                                 QStringLiteral("-a"), QStringLiteral("-n"), path});
    return QJsonDocument::fromJson(json).array().at(0).toObject();
}

class CliTagsTest : public SourceTagsTest {
protected:
    // o6.jpg with Artist, Copyright, Make, a GPS position, the camera's
    // serial number, the pixel dimensions as stored, a thumbnail and XMP
    // rights and orientation, written by exiftool.
    static QString TaggedJpeg()
    {
        const QString path = Path(QStringLiteral("tagged.jpg"));
        if (QFile::exists(path))
            return path;
        const QString thumb = Path(QStringLiteral("thumb.jpg"));
        Store(thumb, RunTool(QStringLiteral("cjpeg"), {}, ToPpm(PatternPicture(16, 10))));
        QFile::copy(Path(QStringLiteral("o6.jpg")), path);
        RunTool(QStringLiteral("exiftool"),
                {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-Artist=Ann Artist"),
                 QStringLiteral("-Copyright=(c) Ann"), QStringLiteral("-Make=Phone Maker"),
                 QStringLiteral("-GPSLatitude=51.5"), QStringLiteral("-GPSLatitudeRef=N"),
                 QStringLiteral("-SerialNumber=SN-4711"), QStringLiteral("-ExifImageWidth=320"),
                 QStringLiteral("-ExifImageHeight=200"),
                 QStringLiteral("-ThumbnailImage<=") + thumb, QStringLiteral("-XMP-dc:Rights=Rights of Ann"),
                 QStringLiteral("-XMP-tiff:Orientation#=6"), path});
        return path;
    }
};

// Each kind of result that holds metadata, as the command line asks for it:
// the output's name ending and its options.
std::vector<std::pair<QString, QStringList>> MetadataKinds()
{
    return {{QStringLiteral("jpg"), {}},
            {QStringLiteral("png"), {}},
            {QStringLiteral("indexed.png"), {QStringLiteral("--png-colours"), QStringLiteral("64")}},
            {QStringLiteral("webp"), {}},
            {QStringLiteral("avif"), {QStringLiteral("--speed"), QStringLiteral("10")}}};
}

// The --json report's metadata key: what of the source's metadata the result
// holds, "none" when the key is absent.
QString ReportedMetadata(const QByteArray& json)
{
    const QJsonObject report = QJsonDocument::fromJson(json).object();
    if (report.isEmpty())
        return QStringLiteral("no report");
    const QJsonValue metadata = report.value(QStringLiteral("metadata"));
    if (metadata.isUndefined())
        return QStringLiteral("none");
    QStringList names;
    for (const QJsonValue& name : metadata.toArray())
        names << name.toString();
    return names.join(QLatin1Char(' '));
}

// The EXIF and XMP fields exiftool reads in a file, by group and name.
QStringList MetadataKeys(const QJsonObject& tags)
{
    QStringList keys;
    for (const QString& key : tags.keys())
        if (key.startsWith(QLatin1String("IFD")) || key.startsWith(QLatin1String("ExifIFD:"))
            || key.startsWith(QLatin1String("GPS:")) || key.startsWith(QLatin1String("InteropIFD:"))
            || key.startsWith(QLatin1String("XMP")))
            keys << key;
    return keys;
}

// The chunks of a PNG (after its signature) or a WebP (inside its RIFF
// header), type and payload, in file order; reading stops at the first that
// does not fit.
using Chunks = QList<QPair<QByteArray, QByteArray>>;

Chunks PngChunks(const QByteArray& png)
{
    Chunks chunks;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        if (length > png.size() - at - 12)
            break;
        chunks.append({png.mid(at + 4, 4), png.mid(at + 8, length)});
        at += 12 + length;
    }
    return chunks;
}

Chunks WebpChunks(const QByteArray& webp)
{
    Chunks chunks;
    for (qsizetype at = 12; at + 8 <= webp.size();) {
        const qsizetype length = qFromLittleEndian<quint32>(webp.constData() + at + 4);
        if (length > webp.size() - at - 8)
            break;
        chunks.append({webp.mid(at, 4), webp.mid(at + 8, length)});
        at += 8 + length + (length & 1);
    }
    return chunks;
}

QByteArrayList Names(const Chunks& chunks)
{
    QByteArrayList names;
    for (const auto& chunk : chunks)
        names << chunk.first;
    return names;
}

// The chunks but those named.
Chunks Without(Chunks chunks, const QByteArrayList& names)
{
    chunks.removeIf([&](const auto& chunk) { return names.contains(chunk.first); });
    return chunks;
}

bool StartsWithTiffHeader(const QByteArray& block)
{
    return block.startsWith(QByteArray("II*\0", 4)) || block.startsWith(QByteArray("MM\0*", 4));
}

// Pillow's reading of the EXIF Artist, Copyright and Make, and the count of fields.
const char* kReadExifScript = R"(
import sys
from PIL import Image
exif = Image.open(sys.argv[1]).getexif()
print(repr(exif.get(315)), repr(exif.get(33432)), repr(exif.get(271)), len(exif))
)";


// Pillow's reading of a PNG or WebP: the EXIF Orientation, Make, whether the
// GPS directory holds a latitude, and whether the XMP packet has the rights.
const char* kReadAllScript = R"(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
exif = im.getexif()
xmp = im.info.get('xmp', im.info.get('XML:com.adobe.xmp', ''))
if isinstance(xmp, bytes):
    xmp = xmp.decode()
print(exif.get(274), repr(exif.get(271)), exif.get_ifd(0x8825).get(2) is not None, 'Rights of Ann' in xmp)
)";

TEST_F(CliTagsTest, ResultsCarryNoMetadataOrProfileByDefault)
{
    for (const QString& input : {TaggedJpeg(), Path(QStringLiteral("p3.jpg")), Path(QStringLiteral("o6.png"))}) {
        const QString out = Path(QStringLiteral("default.jpg"));
        const QJsonObject report = QJsonDocument::fromJson(Cli({input, QStringLiteral("-o"), out,
                                                                QStringLiteral("--json")})).object();
        const QByteArray bytes = Contents(out);
        EXPECT_FALSE(bytes.contains(QByteArray("Exif\0\0", 6))) << input.toStdString();
        EXPECT_FALSE(bytes.contains("ICC_PROFILE")) << input.toStdString();
        EXPECT_FALSE(bytes.contains("http://ns.adobe.com/xap/1.0/")) << input.toStdString();
        EXPECT_FALSE(report.value(QStringLiteral("applied")).toString().isEmpty()) << input.toStdString();
    }
    const QJsonObject report = QJsonDocument::fromJson(Cli({TaggedJpeg(), QStringLiteral("-o"),
                                                            Path(QStringLiteral("d.jpg")), QStringLiteral("--json")}))
                                   .object();
    EXPECT_EQ(report.value(QStringLiteral("applied")).toString(), QString::fromUtf8("rotated 90°"));
    EXPECT_EQ(report.value(QStringLiteral("orientation")).toInt(), 6);
    EXPECT_EQ(report.value(QStringLiteral("width")).toInt(), 200);
    EXPECT_EQ(report.value(QStringLiteral("height")).toInt(), 320);

    // Every format: no EXIF or XMP as exiftool reads the file, and no chunk
    // that could hold them (a WebP stays the simple kind).
    for (const auto& [kind, options] : MetadataKinds()) {
        SCOPED_TRACE(kind.toStdString());
        const QString out = Path(QStringLiteral("default.") + kind);
        EXPECT_EQ(ReportedMetadata(Cli(QStringList{TaggedJpeg(), QStringLiteral("-o"), out, QStringLiteral("--json")}
                                       + options)),
                  QStringLiteral("none"));
        const QJsonObject tags = ExifTool(out);
        EXPECT_EQ(MetadataKeys(tags), QStringList());
        EXPECT_FALSE(tags.contains(QStringLiteral("ExifTool:Warning")));
        const QByteArray bytes = Contents(out);
        if (kind.endsWith(QLatin1String("png"))) {
            const QByteArrayList names = Names(PngChunks(bytes));
            for (const char* name : {"eXIf", "iTXt", "tEXt", "zTXt"})
                EXPECT_FALSE(names.contains(name)) << name;
        } else if (kind == QLatin1String("webp")) {
            EXPECT_EQ(Names(WebpChunks(bytes)), QByteArrayList{"VP8 "});
        }
    }
}

TEST_F(CliTagsTest, KeepCopyrightKeepsArtistAndCopyrightAlone)
{
    for (const auto& [kind, options] : MetadataKinds()) {
        SCOPED_TRACE(kind.toStdString());
        const QString out = Path(QStringLiteral("copyright.") + kind);
        EXPECT_EQ(ReportedMetadata(Cli(QStringList{TaggedJpeg(), QStringLiteral("-o"), out, QStringLiteral("--json"),
                                                   QStringLiteral("--keep-metadata"), QStringLiteral("copyright")}
                                       + options)),
                  QStringLiteral("exif"));
        const QJsonObject tags = ExifTool(out);
        EXPECT_EQ(tags.value(QStringLiteral("IFD0:Artist")).toString(), QStringLiteral("Ann Artist"));
        EXPECT_EQ(tags.value(QStringLiteral("IFD0:Copyright")).toString(), QStringLiteral("(c) Ann"));
        // Nothing else: no Make, Orientation, GPS, serial number, thumbnail or XMP.
        EXPECT_EQ(MetadataKeys(tags), (QStringList{QStringLiteral("IFD0:Artist"), QStringLiteral("IFD0:Copyright")}));
        EXPECT_FALSE(tags.contains(QStringLiteral("ExifTool:Warning")))
            << tags.value(QStringLiteral("ExifTool:Warning")).toString().toStdString();
        if (kind.endsWith(QLatin1String("png")) || kind == QLatin1String("webp")) {
            EXPECT_EQ(RunTool(kPython, {QStringLiteral("-c"), QString::fromLatin1(kReadExifScript), out}).trimmed(),
                      QByteArray("'Ann Artist' '(c) Ann' None 2"));
        }
    }
}

// A TIFF's Artist and Copyright are tags of its own first directory, not of
// an EXIF block: one TIFF tagged so by exiftool (o6.tif, turned by its own
// Orientation tag), one by Pillow (its tiffinfo).
const char* kTiffTagsScript = R"(
import sys
from PIL import Image
from PIL.TiffImagePlugin import ImageFileDirectory_v2
source, target = sys.argv[1], sys.argv[2]
tags = ImageFileDirectory_v2()
tags[315] = 'Pillow Artist'
tags[33432] = '(c) Pillow'
tags[271] = 'Scanner Maker'
Image.open(source).save(target, tiffinfo=tags)
)";

TEST_F(CliTagsTest, ATiffsOwnArtistAndCopyrightAreKeptWithCopyright)
{
    const QString byExiftool = Path(QStringLiteral("artist.tif"));
    QFile::copy(Path(QStringLiteral("o6.tif")), byExiftool);
    RunTool(QStringLiteral("exiftool"),
            {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-IFD0:Artist=Ann Artist"),
             QStringLiteral("-IFD0:Copyright=(c) Ann"), QStringLiteral("-IFD0:Make=Phone Maker"), byExiftool});
    const QJsonObject source = ExifTool(byExiftool);
    ASSERT_EQ(source.value(QStringLiteral("IFD0:Artist")).toString(), QStringLiteral("Ann Artist"));
    ASSERT_FALSE(source.contains(QStringLiteral("ExifIFD:ExifVersion")));

    const QString out = Path(QStringLiteral("tiff-copyright.jpg"));
    const QJsonObject report = QJsonDocument::fromJson(Cli({byExiftool, QStringLiteral("-o"), out, QStringLiteral("--json"),
                                                            QStringLiteral("--keep-metadata"), QStringLiteral("copyright")}))
                                   .object();
    const QJsonObject tags = ExifTool(out);
    EXPECT_EQ(tags.value(QStringLiteral("IFD0:Artist")).toString(), QStringLiteral("Ann Artist"));
    EXPECT_EQ(tags.value(QStringLiteral("IFD0:Copyright")).toString(), QStringLiteral("(c) Ann"));
    EXPECT_FALSE(tags.contains(QStringLiteral("IFD0:Make")));
    EXPECT_FALSE(tags.contains(QStringLiteral("IFD0:Orientation")));
    // Still turned upright by the TIFF's own Orientation.
    EXPECT_EQ(report.value(QStringLiteral("applied")).toString(), QString::fromUtf8("rotated 90°"));
    EXPECT_EQ(tags.value(QStringLiteral("File:ImageWidth")).toInt(), 200);

    // Keep all keeps them too; the default strip keeps nothing.
    const QString all = Path(QStringLiteral("tiff-all.jpg"));
    Cli({byExiftool, QStringLiteral("-o"), all, QStringLiteral("--keep-metadata"), QStringLiteral("all")});
    EXPECT_EQ(ExifTool(all).value(QStringLiteral("IFD0:Copyright")).toString(), QStringLiteral("(c) Ann"));
    const QString stripped = Path(QStringLiteral("tiff-default.jpg"));
    Cli({byExiftool, QStringLiteral("-o"), stripped});
    EXPECT_FALSE(Contents(stripped).contains(QByteArray("Exif\0\0", 6)));
    EXPECT_FALSE(ExifTool(stripped).contains(QStringLiteral("IFD0:Artist")));

    // Pillow's TIFF, and its own reading of the result.
    const QString byPillow = Path(QStringLiteral("pillow-artist.tif"));
    RunTool(kPython, {QStringLiteral("-c"), QString::fromLatin1(kTiffTagsScript), Path(QStringLiteral("o1.png")), byPillow});
    const QString fromPillow = Path(QStringLiteral("pillow-copyright.jpg"));
    Cli({byPillow, QStringLiteral("-o"), fromPillow, QStringLiteral("--keep-metadata"), QStringLiteral("copyright")});
    EXPECT_EQ(RunTool(kPython, {QStringLiteral("-c"), QString::fromLatin1(kReadExifScript), fromPillow}).trimmed(),
              QByteArray("'Pillow Artist' '(c) Pillow' None 2"));
    const QString pillowStripped = Path(QStringLiteral("pillow-default.jpg"));
    Cli({byPillow, QStringLiteral("-o"), pillowStripped});
    EXPECT_EQ(RunTool(kPython, {QStringLiteral("-c"), QString::fromLatin1(kReadExifScript), pillowStripped}).trimmed(),
              QByteArray("None None None 0"));
}

TEST_F(CliTagsTest, KeepAllDropsTheThumbnailAndStandsThePictureUpright)
{
    for (const auto& [kind, options] : MetadataKinds()) {
        SCOPED_TRACE(kind.toStdString());
        const QString out = Path(QStringLiteral("all.") + kind);
        EXPECT_EQ(ReportedMetadata(Cli(QStringList{TaggedJpeg(), QStringLiteral("-o"), out, QStringLiteral("--json"),
                                                   QStringLiteral("--keep-metadata"), QStringLiteral("all")}
                                       + options)),
                  QStringLiteral("exif xmp"));
        const QJsonObject tags = ExifTool(out);
        EXPECT_EQ(tags.value(QStringLiteral("IFD0:Artist")).toString(), QStringLiteral("Ann Artist"));
        EXPECT_EQ(tags.value(QStringLiteral("IFD0:Copyright")).toString(), QStringLiteral("(c) Ann"));
        EXPECT_EQ(tags.value(QStringLiteral("IFD0:Make")).toString(), QStringLiteral("Phone Maker"));
        EXPECT_EQ(tags.value(QStringLiteral("ExifIFD:SerialNumber")).toString(), QStringLiteral("SN-4711"));
        EXPECT_DOUBLE_EQ(tags.value(QStringLiteral("GPS:GPSLatitude")).toDouble(), 51.5);
        EXPECT_EQ(tags.value(QStringLiteral("IFD0:Orientation")).toInt(), 1);
        EXPECT_EQ(tags.value(QStringLiteral("XMP-tiff:Orientation")).toInt(), 1);
        EXPECT_EQ(tags.value(QStringLiteral("XMP-dc:Rights")).toString(), QStringLiteral("Rights of Ann"));
        // The dimensions of the upright result, not of the picture as stored.
        EXPECT_EQ(tags.value(QStringLiteral("ExifIFD:ExifImageWidth")).toInt(), 200);
        EXPECT_EQ(tags.value(QStringLiteral("ExifIFD:ExifImageHeight")).toInt(), 320);
        for (const QString& key : MetadataKeys(tags))
            EXPECT_FALSE(key.startsWith(QLatin1String("IFD1:"))) << key.toStdString();
        EXPECT_FALSE(tags.contains(QStringLiteral("ExifTool:Warning")))
            << tags.value(QStringLiteral("ExifTool:Warning")).toString().toStdString();
        if (kind.endsWith(QLatin1String("png")) || kind == QLatin1String("webp")) {
            EXPECT_EQ(RunTool(kPython, {QStringLiteral("-c"), QString::fromLatin1(kReadAllScript), out}).trimmed(),
                      QByteArray("1 'Phone Maker' True True"));
        }
    }
    const QString out = Path(QStringLiteral("all.jpg"));
    EXPECT_EQ(ExifTool(out).value(QStringLiteral("File:ImageWidth")).toInt(), 200);
    // The picture is the upright one, as without the option.
    const QString plain = Path(QStringLiteral("plain.jpg"));
    Cli({TaggedJpeg(), QStringLiteral("-o"), plain});
    EXPECT_EQ(LargestDifference(ToBitmap(QImage(out)), ToBitmap(QImage(plain))), 0);
}

// PNG and WebP sources whose XMP sits in chunks of their own: an iTXt as
// exiftool writes it, an iTXt Pillow compresses, a zTXt under the XMP key as
// some writers use, and a WebP's "XMP " chunk beside its EXIF Orientation 6.
// The packet of each is the one exiftool wrote into the first.
const char* kXmpSourcesScript = R"(
import sys
from PIL import Image, PngImagePlugin
folder = sys.argv[1]
packet = open(folder + '/packet.xmp', 'rb').read().decode()
for name, add in (('zipped-itxt', lambda info: info.add_itxt('XML:com.adobe.xmp', packet, zip=True)),
                  ('ztxt', lambda info: info.add_text('XML:com.adobe.xmp', packet, zip=True))):
    info = PngImagePlugin.PngInfo()
    add(info)
    Image.open(folder + '/o1.png').save('%s/xmp-%s.png' % (folder, name), pnginfo=info)
)";

class XmpSourcesTest : public CliTagsTest {
protected:
    static QStringList Sources()
    {
        const QString png = Path(QStringLiteral("xmp-itxt.png"));
        const QString webp = Path(QStringLiteral("xmp-o6.webp"));
        if (!QFile::exists(png)) {
            QFile::copy(Path(QStringLiteral("o1.png")), png);
            QFile::copy(Path(QStringLiteral("o6.webp")), webp);
            RunTool(QStringLiteral("exiftool"),
                    {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-XMP-dc:Creator=Ann Artist"),
                     QStringLiteral("-XMP-dc:Rights=Rights of Ann"), png, webp});
            Store(Path(QStringLiteral("packet.xmp")),
                  RunTool(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-XMP"), png}));
            RunTool(kPython, {QStringLiteral("-c"), QString::fromLatin1(kXmpSourcesScript), folder_->path()});
        }
        return {png, Path(QStringLiteral("xmp-zipped-itxt.png")), Path(QStringLiteral("xmp-ztxt.png")), webp};
    }
};

TEST_F(XmpSourcesTest, TheChunkWalkersFindThePacketAndTheExifExiftoolReads)
{
    const QStringList sources = Sources();
    const QByteArray packet = Contents(Path(QStringLiteral("packet.xmp")));
    ASSERT_TRUE(packet.contains("Rights of Ann"));
    for (const QString& source : sources.mid(0, 3)) {
        SCOPED_TRACE(source.toStdString());
        const ChunkTags tags = PngChunkTags(BytesView(Contents(source)));
        EXPECT_EQ(ToQByteArray(tags.xmp), packet);
        // Pillow's EXIF where exiftool kept it; none where Pillow wrote the file anew.
        EXPECT_EQ(ToQByteArray(tags.exif), RunTool(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-EXIF"), source}));
    }
    const QString webp = sources.last();
    const ChunkTags tags = WebpChunkTags(BytesView(Contents(webp)));
    EXPECT_EQ(ToQByteArray(tags.xmp), RunTool(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-XMP"), webp}));
    EXPECT_TRUE(tags.xmp.find("Rights of Ann") != std::string::npos);
    EXPECT_EQ(ToQByteArray(tags.exif), RunTool(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-EXIF"), webp}));
    EXPECT_EQ(ExifOrientation(tags.exif), 6);
    // Neither walker reads the other's files.
    EXPECT_TRUE(PngChunkTags(BytesView(Contents(webp))).xmp.empty());
    EXPECT_TRUE(WebpChunkTags(BytesView(Contents(sources.first()))).xmp.empty());
}

TEST_F(XmpSourcesTest, KeepAllCarriesTheXmpIntoJpegAndPngAndStripCarriesNone)
{
    for (const QString& source : Sources()) {
        const bool turned = source.endsWith(QLatin1String(".webp"));
        // The source as Pillow stands it upright.
        const Bitmap want = Want(turned ? QStringLiteral("o6.webp") : QStringLiteral("o1.png"));
        ASSERT_FALSE(want.isNull());
        const bool exif = !RunTool(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-EXIF"), source})
                               .isEmpty();
        for (const QString& kind : {QStringLiteral("jpg"), QStringLiteral("png")}) {
            SCOPED_TRACE((source + QStringLiteral(" to ") + kind).toStdString());
            const QString kept = Path(QStringLiteral("xmp-all.") + kind);
            const QString stripped = Path(QStringLiteral("xmp-strip.") + kind);
            EXPECT_EQ(ReportedMetadata(Cli({source, QStringLiteral("-o"), kept, QStringLiteral("--overwrite"),
                                            QStringLiteral("--json"), QStringLiteral("--keep-metadata"),
                                            QStringLiteral("all")})),
                      exif ? QStringLiteral("exif xmp") : QStringLiteral("xmp"));
            const QJsonObject tags = ExifTool(kept);
            EXPECT_EQ(tags.value(QStringLiteral("XMP-dc:Rights")).toString(), QStringLiteral("Rights of Ann"));
            EXPECT_EQ(tags.value(QStringLiteral("XMP-dc:Creator")).toString(), QStringLiteral("Ann Artist"));
            EXPECT_FALSE(tags.contains(QStringLiteral("ExifTool:Warning")))
                << tags.value(QStringLiteral("ExifTool:Warning")).toString().toStdString();
            if (turned) {  // upright now: the kept EXIF says so
                EXPECT_EQ(tags.value(QStringLiteral("IFD0:Orientation")).toInt(), 1);
            }
            EXPECT_EQ(ReportedMetadata(Cli({source, QStringLiteral("-o"), stripped, QStringLiteral("--overwrite"),
                                            QStringLiteral("--json")})),
                      QStringLiteral("none"));
            EXPECT_EQ(MetadataKeys(ExifTool(stripped)), QStringList());
            // The pictures stand as Pillow stands the source, the PNG to the
            // bit; the metadata changes no pixel.
            const Bitmap keptPicture = ToBitmap(QImage(kept));
            EXPECT_EQ(keptPicture.size(), turned ? Size(200, 320) : Size(320, 200));
            EXPECT_EQ(LargestDifference(keptPicture, ToBitmap(QImage(stripped))), 0);
            if (kind == QLatin1String("png")) {
                EXPECT_EQ(LargestDifference(keptPicture, want), 0);
            }
        }
    }
}

// Chunks no writer makes: the loader opens the picture and leaves them out.
//   long-itxt.png  an XMP iTXt declaring 2 GB, where the file ends
//   bomb-itxt.png  a compressed XMP iTXt that inflates to 1 GiB
//   bad-crc.png    an XMP iTXt whose CRC does not match
//   long-xmp.webp  an "XMP " chunk declaring 2 GB, where the file ends
const char* kHostileChunksScript = R"(
import sys, struct, zlib
folder = sys.argv[1]
def chunk(kind, data, crc=None):
    body = kind + data
    return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) if crc is None else crc)
png = open(folder + '/o1.png', 'rb').read()
iend = png.rindex(b'IEND') - 4
key = b'XML:com.adobe.xmp\0'
packet = open(folder + '/packet.xmp', 'rb').read()
open(folder + '/long-itxt.png', 'wb').write(png[:iend] + struct.pack('>I', 0x7ffffff0) + b'iTXt' + key + b'\0\0\0\0' + packet)
deflate = zlib.compressobj(1)
bomb = deflate.compress(packet[:-20])
zeros = b' ' * (1 << 20)
for _ in range(1024):
    bomb += deflate.compress(zeros)
bomb += deflate.flush()
open(folder + '/bomb-itxt.png', 'wb').write(png[:33] + chunk(b'iTXt', key + b'\1\0\0\0' + bomb) + png[33:])
open(folder + '/bad-crc.png', 'wb').write(png[:33] + chunk(b'iTXt', key + b'\0\0\0\0' + packet, 0) + png[33:])
webp = open(folder + '/o6.webp', 'rb').read()
webp += b'XMP ' + struct.pack('<I', 0x7ffffff0) + packet
open(folder + '/long-xmp.webp', 'wb').write(b'RIFF' + struct.pack('<I', len(webp) - 8) + webp[8:])
)";

TEST_F(XmpSourcesTest, HostileChunksLeaveThePictureAndLeaveTheMetadataOut)
{
    Sources();
    RunTool(kPython, {QStringLiteral("-c"), QString::fromLatin1(kHostileChunksScript), folder_->path()});
    const struct {
        const char* name;
        const char* upright;   // the picture Pillow stands upright
        const char* metadata;  // what the --json report says is kept: the EXIF Pillow wrote
    } cases[] = {{"long-itxt.png", "o1.png", "exif"},
                 {"bomb-itxt.png", "o1.png", "exif"},
                 {"bad-crc.png", "o1.png", "exif"},
                 {"long-xmp.webp", "o6.webp", "exif"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = Path(QString::fromLatin1(c.name));
        ASSERT_TRUE(QFile::exists(source));
        const ChunkTags tags = source.endsWith(QLatin1String(".png")) ? PngChunkTags(BytesView(Contents(source)))
                                                                        : WebpChunkTags(BytesView(Contents(source)));
        EXPECT_TRUE(tags.xmp.empty());
        const QString out = Path(QStringLiteral("hostile.png"));
        EXPECT_EQ(ReportedMetadata(Cli({source, QStringLiteral("-o"), out, QStringLiteral("--overwrite"),
                                        QStringLiteral("--json"), QStringLiteral("--keep-metadata"),
                                        QStringLiteral("all")})),
                  QString::fromLatin1(c.metadata));
        const QJsonObject written = ExifTool(out);
        for (const QString& key : MetadataKeys(written))
            EXPECT_FALSE(key.startsWith(QLatin1String("XMP"))) << key.toStdString();
        EXPECT_EQ(LargestDifference(ToBitmap(QImage(out)), Want(QString::fromLatin1(c.upright))), 0);
    }
}

// The metadata of a PNG, WebP or AVIF goes where readers look for it, beside
// a kept profile, and leaves the picture's own data as it is without it.
TEST_F(CliTagsTest, KeptMetadataSitsBesideThePictureAndTheProfile)
{
    const QString source = Path(QStringLiteral("tagged-p3.jpg"));
    QFile::copy(TaggedJpeg(), source);
    RunTool(QStringLiteral("exiftool"), {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                                         QStringLiteral("-ICC_Profile<=") + Path(QStringLiteral("p3.icc")), source});
    for (const auto& [kind, options] : MetadataKinds()) {
        if (kind == QLatin1String("jpg"))
            continue;
        SCOPED_TRACE(kind.toStdString());
        const QString kept = Path(QStringLiteral("kept-all.") + kind);
        const QString plain = Path(QStringLiteral("kept-profile.") + kind);
        Cli(QStringList{source, QStringLiteral("-o"), kept, QStringLiteral("--keep-profile"),
                        QStringLiteral("--keep-metadata"), QStringLiteral("all")}
            + options);
        Cli(QStringList{source, QStringLiteral("-o"), plain, QStringLiteral("--keep-profile")} + options);
        EXPECT_EQ(RunTool(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-ICC_Profile"), kept}),
                  Contents(Path(QStringLiteral("p3.icc"))));
        EXPECT_EQ(ExifTool(kept).value(QStringLiteral("IFD0:Artist")).toString(), QStringLiteral("Ann Artist"));
        const QByteArray bytes = Contents(kept);
        if (kind.endsWith(QLatin1String("png"))) {
            // One eXIf holding the TIFF structure itself and one uncompressed
            // iTXt for the XMP, both before the pixels.
            const Chunks chunks = PngChunks(bytes);
            const QByteArrayList names = Names(chunks);
            ASSERT_EQ(names.count("eXIf"), 1);
            ASSERT_EQ(names.count("iTXt"), 1);
            EXPECT_LT(names.indexOf("eXIf"), names.indexOf("IDAT"));
            EXPECT_LT(names.indexOf("iTXt"), names.indexOf("IDAT"));
            EXPECT_EQ(names.last(), QByteArray("IEND"));
            EXPECT_TRUE(StartsWithTiffHeader(chunks[names.indexOf("eXIf")].second));
            const QByteArray xmp = chunks[names.indexOf("iTXt")].second;
            EXPECT_TRUE(xmp.startsWith(QByteArray("XML:com.adobe.xmp\0\0\0\0\0", 22))) << xmp.left(24).toStdString();
            EXPECT_TRUE(xmp.contains("Rights of Ann"));
            // Without those two chunks, the file is the one without metadata.
            EXPECT_EQ(Without(chunks, {"eXIf", "iTXt"}), PngChunks(Contents(plain)));
        } else if (kind == QLatin1String("webp")) {
            // The extended kind, its flags naming the profile, EXIF and XMP.
            const Chunks chunks = WebpChunks(bytes);
            ASSERT_EQ(Names(chunks), (QByteArrayList{"VP8X", "ICCP", "VP8 ", "EXIF", "XMP "}));
            EXPECT_EQ(static_cast<uchar>(chunks[0].second[0]), 0x20 | 0x08 | 0x04);
            EXPECT_TRUE(StartsWithTiffHeader(chunks[3].second));
            EXPECT_TRUE(chunks[4].second.contains("Rights of Ann"));
            EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4), static_cast<quint32>(bytes.size() - 8));
            const Chunks without = WebpChunks(Contents(plain));
            ASSERT_EQ(Names(without), (QByteArrayList{"VP8X", "ICCP", "VP8 "}));
            EXPECT_EQ(static_cast<uchar>(without[0].second[0]), 0x20);
            EXPECT_EQ(Without(chunks, {"VP8X", "EXIF", "XMP "}), Without(without, {"VP8X"}));
        } else {
            // The same pixels as avifdec decodes them.
            const QString a = Path(QStringLiteral("kept-all.avif.png"));
            const QString b = Path(QStringLiteral("kept-profile.avif.png"));
            RunTool(QStringLiteral("avifdec"), {kept, a});
            RunTool(QStringLiteral("avifdec"), {plain, b});
            const Bitmap decoded = ToBitmap(QImage(a));
            ASSERT_FALSE(decoded.isNull());
            EXPECT_EQ(LargestDifference(decoded, ToBitmap(QImage(b))), 0);
        }
    }
}

// A block that cannot be read is left out for every format alike, and one
// larger than a JPEG segment is left out of a JPEG alone: the other formats
// have room for it.
TEST_F(CliTagsTest, UnreadableAndLargeBlocksAreLeftOutAsAJpegLeavesThem)
{
    const QString damaged = Path(QStringLiteral("damaged-exif.png"));
    RunTool(kPython, {QStringLiteral("-c"),
                      QStringLiteral("import sys\n"
                                     "from PIL import Image\n"
                                     "Image.new('RGB', (64, 48), (200, 100, 50)).save(sys.argv[1],\n"
                                     "    exif=b'II*\\x00\\xff\\xff\\xff\\x7f' + b'not a directory' * 4)\n"),
                      damaged});
    ASSERT_TRUE(PngChunkTags(BytesView(Contents(damaged))).exif.starts_with("II*"));
    const QString large = Path(QStringLiteral("large-xmp.tif"));
    RunTool(kPython, {QStringLiteral("-c"),
                      QStringLiteral("import sys\n"
                                     "from PIL import Image\n"
                                     "Image.new('RGB', (64, 48), (50, 100, 200)).save(sys.argv[1])\n"),
                      large});
    RunTool(QStringLiteral("exiftool"), {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                                         QStringLiteral("-XMP-dc:Description=") + QString(70000, QLatin1Char('x')),
                                         QStringLiteral("-XMP-dc:Rights=Rights of Ann"), large});
    ASSERT_EQ(ExifTool(large).value(QStringLiteral("XMP-dc:Rights")).toString(), QStringLiteral("Rights of Ann"));
    for (const auto& [kind, options] : MetadataKinds()) {
        SCOPED_TRACE(kind.toStdString());
        const QString fromDamaged = Path(QStringLiteral("damaged.") + kind);
        EXPECT_EQ(ReportedMetadata(Cli(QStringList{damaged, QStringLiteral("-o"), fromDamaged, QStringLiteral("--json"),
                                                   QStringLiteral("--keep-metadata"), QStringLiteral("all")}
                                       + options)),
                  QStringLiteral("none"));
        EXPECT_EQ(MetadataKeys(ExifTool(fromDamaged)), QStringList());
        const QString fromLarge = Path(QStringLiteral("large.") + kind);
        const QString reported = ReportedMetadata(Cli(QStringList{large, QStringLiteral("-o"), fromLarge,
                                                                  QStringLiteral("--json"), QStringLiteral("--keep-metadata"),
                                                                  QStringLiteral("all")}
                                                      + options));
        EXPECT_EQ(reported, kind == QLatin1String("jpg") ? QStringLiteral("none") : QStringLiteral("xmp"));
        const QJsonObject tags = ExifTool(fromLarge);
        if (kind == QLatin1String("jpg")) {
            EXPECT_EQ(MetadataKeys(tags), QStringList());
        } else {
            EXPECT_EQ(tags.value(QStringLiteral("XMP-dc:Rights")).toString(), QStringLiteral("Rights of Ann"));
            EXPECT_EQ(tags.value(QStringLiteral("XMP-dc:Description")).toString().size(), 70000);
        }
    }
}

TEST_F(CliTagsTest, KeepProfileEmbedsTheSourceProfileAndItsColours)
{
    const QString out = Path(QStringLiteral("kept.jpg"));
    Cli({Path(QStringLiteral("p3.png")), QStringLiteral("-o"), out, QStringLiteral("--keep-profile"),
         QStringLiteral("--quality"), QStringLiteral("100")});
    const QJsonObject tags = ExifTool(out);
    EXPECT_EQ(tags.value(QStringLiteral("ICC-header:ColorSpaceData")).toString(), QStringLiteral("RGB "));
    EXPECT_EQ(tags.value(QStringLiteral("ICC_Profile:ProfileDescription")).toString(), QStringLiteral("Display P3"));
    // The profile as stored, byte for byte, and the colours unconverted.
    const QString extracted = Path(QStringLiteral("extracted.icc"));
    Store(extracted, RunTool(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-ICC_Profile"), out}));
    EXPECT_EQ(Contents(extracted), Contents(Path(QStringLiteral("p3.icc"))));
    const QString unconverted = Path(QStringLiteral("unconverted.jpg"));
    Store(unconverted, RunTool(QStringLiteral("cjpeg"), {QStringLiteral("-quality"), QStringLiteral("100"),
                                                         QStringLiteral("-baseline")},
                               Contents(Path(QStringLiteral("plain-p3.png.ppm")))));
    EXPECT_EQ(LargestDifference(ToBitmap(QImage(out)), ToBitmap(QImage(unconverted))), 0);
}

TEST_F(CliTagsTest, EveryFormatButGifCarriesAKeptProfile)
{
    // PNG (truecolour and indexed), WebP and AVIF embed the source's profile
    // when its colours are kept, and carry none when they are converted.
    const QStringList kinds[] = {{QStringLiteral("kept.png")},
                                 {QStringLiteral("indexed.png"), QStringLiteral("--png-colours"), QStringLiteral("64")},
                                 {QStringLiteral("kept.webp")},
                                 {QStringLiteral("kept.avif"), QStringLiteral("--speed"), QStringLiteral("10")}};
    for (const QStringList& kind : kinds) {
        SCOPED_TRACE(kind.join(' ').toStdString());
        const QString out = Path(kind.first());
        for (const bool keep : {true, false}) {
            QStringList arguments{Path(QStringLiteral("p3.png")), QStringLiteral("-o"), out, QStringLiteral("--overwrite")};
            arguments << kind.mid(1);
            if (keep)
                arguments << QStringLiteral("--keep-profile");
            Cli(arguments);
            const QByteArray profile =
                RunTool(QStringLiteral("exiftool"), {QStringLiteral("-b"), QStringLiteral("-ICC_Profile"), out});
            if (keep)
                EXPECT_EQ(profile, Contents(Path(QStringLiteral("p3.icc"))));
            else
                EXPECT_TRUE(profile.isEmpty());
        }
    }
}

// Without tags, the result is what it has always been: the encoder's bytes
// for the decoded pixels, as cjpeg makes them.
TEST_F(CliTagsTest, PicturesWithoutTagsGiveTheSameBytesAsEver)
{
    const QString ppm = Path(QStringLiteral("plain-p3.png.ppm"));
    const QString png = Path(QStringLiteral("untagged.png"));
    RunTool(QStringLiteral("gm"), {QStringLiteral("convert"), ppm, png});
    for (const QString& input : {ppm, png}) {
        const QString out = Path(QStringLiteral("untagged.jpg"));
        Cli({input, QStringLiteral("-o"), out, QStringLiteral("--keep-metadata"), QStringLiteral("all"),
             QStringLiteral("--keep-profile")});
        EXPECT_EQ(Contents(out), RunTool(QStringLiteral("cjpeg"), {QStringLiteral("-quality"), QStringLiteral("80"),
                                                                   QStringLiteral("-baseline")},
                                         Contents(ppm)))
            << input.toStdString();
    }
    // The shared photo, whose profile is one of the many sRGB ones.
    const QString photo = SharedTestPicture(QStringLiteral("small-photo.png"));
    const QString decoded = Path(QStringLiteral("small.ppm"));
    RunTool(QStringLiteral("gm"), {QStringLiteral("convert"), photo, decoded});
    const QString out = Path(QStringLiteral("small.jpg"));
    const QJsonObject report = QJsonDocument::fromJson(Cli({photo, QStringLiteral("-o"), out, QStringLiteral("--json")})).object();
    EXPECT_EQ(Contents(out), RunTool(QStringLiteral("cjpeg"), {QStringLiteral("-quality"), QStringLiteral("80"),
                                                               QStringLiteral("-baseline")},
                                     Contents(decoded)));
    EXPECT_FALSE(report.contains(QStringLiteral("applied")));

    // Every other format: a picture stripped of its tags by exiftool, with
    // every tag kept, gives the bytes the tagged picture gives by default.
    const QString tagged = Path(QStringLiteral("tagged-upright.jpg"));
    QFile::copy(Path(QStringLiteral("o1.jpg")), tagged);
    RunTool(QStringLiteral("exiftool"),
            {QStringLiteral("-q"), QStringLiteral("-overwrite_original"), QStringLiteral("-Artist=Ann Artist"),
             QStringLiteral("-Copyright=(c) Ann"), QStringLiteral("-XMP-dc:Rights=Rights of Ann"), tagged});
    const QString stripped = Path(QStringLiteral("stripped.jpg"));
    RunTool(QStringLiteral("exiftool"), {QStringLiteral("-q"), QStringLiteral("-all="), QStringLiteral("-o"), stripped, tagged});
    ASSERT_EQ(MetadataKeys(ExifTool(stripped)), QStringList());
    for (const auto& [kind, options] : MetadataKinds()) {
        SCOPED_TRACE(kind.toStdString());
        const QString byDefault = Path(QStringLiteral("tagged-default.") + kind);
        const QString untagged = Path(QStringLiteral("untagged-all.") + kind);
        Cli(QStringList{tagged, QStringLiteral("-o"), byDefault} + options);
        Cli(QStringList{stripped, QStringLiteral("-o"), untagged, QStringLiteral("--keep-metadata"), QStringLiteral("all")}
            + options);
        EXPECT_FALSE(Contents(byDefault).isEmpty());
        EXPECT_EQ(Contents(byDefault), Contents(untagged));
    }
}

TEST(KeptXmpTest, EveryOrientationBecomesOneAsTheRegularExpressionRewroteIt)
{
    // The rewrite as it was first written, with the toolkit's expressions.
    const auto reference = [](const QByteArray& packet) {
        QString text = QString::fromUtf8(packet);
        static const QRegularExpression orientation(
            QStringLiteral("(?<=tiff:Orientation=\"|tiff:Orientation='|<tiff:Orientation>)\\s*\\d+\\s*(?=[\"'<])"));
        text.replace(orientation, QStringLiteral("1"));
        return text.toUtf8().toStdString();
    };
    const char* const packets[] = {
        "<x tiff:Orientation=\"6\"/>",
        "<x tiff:Orientation='8' tiff:Orientation=\" 3 \"/><tiff:Orientation>\n 5\t</tiff:Orientation>",
        "<tiff:Orientation>12345678901234567890</tiff:Orientation>",
        "tiff:Orientation=\"6 7\" tiff:Orientation=\"\" tiff:Orientation=\"x6\" tiff:Orientation=\"6",
        "tiff:Orientation=\"tiff:Orientation=\"2\"",
        "<tiff:Orientation>6/>tiff:Orientation=\"\xd9\xa6\" tiff:Orientation=\"\v6\f\"",
        "\xEF\xBB\xBF<x tiff:Orientation=\"6\"/> broken \xC3 \xE2\x82 \xFF",
        "no orientation here",
    };
    for (const char* packet : packets) {
        SourceTags source;
        source.xmp = packet;
        const KeptMetadata kept = MetadataToKeep(source, KeepMetadata::All, Size(10, 10));
        EXPECT_EQ(kept.xmp, reference(QByteArray(packet))) << packet;
        EXPECT_TRUE(MetadataToKeep(source, KeepMetadata::Copyright, Size(10, 10)).xmp.empty());
    }
}

} // namespace
