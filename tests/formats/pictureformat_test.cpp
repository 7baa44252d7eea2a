// The format of a picture from its own bytes, checked on the files of two
// independent writers, and pictures of a second writer loaded as it reads them.
#include "formats/pictureformat.h"
#include "formats/pictureloader.h"

#include "effects/pixels.h"
#include "testpictures.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace pictaron;
using namespace pictaron::testpictures;

namespace {

class PictureFormatTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return folder_.filePath(name); }
    QByteArray Read(const QString& name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString WritePattern() const
    {
        QFile file(Path(QStringLiteral("pattern.ppm")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ToPpm(PatternPicture(37, 23)));
        return file.fileName();
    }
    QTemporaryDir folder_;
};

// Pillow, the second writer: saves the pattern as each file named and then
// writes what it reads back from each, as raw RGB, beside it (".rgb").
const char* kPillowScript = R"(
import sys
from PIL import Image
source = Image.open(sys.argv[1]).convert("RGB")
for target in sys.argv[2:]:
    options = {"lossless": True} if target.endswith(".webp") else {}
    source.save(target, **options)
    with Image.open(target) as back:
        open(target + ".rgb", "wb").write(back.convert("RGB").tobytes())
)";

} // namespace

TEST_F(PictureFormatTest, EveryOfferedFormatIsKnownByTheSignatureOfTwoWriters)
{
    const QString pattern = WritePattern();
    const QList<std::pair<QString, PictureFormat>> gmFiles = {
        {"gm.png", PictureFormat::Png}, {"gm.gif", PictureFormat::Gif},   {"gm.tif", PictureFormat::Tiff},
        {"gm.bmp", PictureFormat::Bmp}, {"gm.pcx", PictureFormat::Pcx},   {"gm.dcx", PictureFormat::Dcx},
        {"gm.pgm", PictureFormat::Pnm}, {"gm.pbm", PictureFormat::Pnm},   {"gm.pam", PictureFormat::Pnm},
        {"gm.jpg", PictureFormat::Jpeg}, {"gm.pcd", PictureFormat::Pcd},  {"gm.webp", PictureFormat::Webp},
        {"gm.tga", PictureFormat::Tga}};
    for (const auto& [name, format] : gmFiles) {
        SCOPED_TRACE(name.toStdString());
        RunTool(QStringLiteral("gm"), {QStringLiteral("convert"), pattern, Path(name)});
        const FormatVerdict verdict = DetectPictureFormat(Read(name), name);
        EXPECT_TRUE(verdict.known) << verdict.refusal.toStdString();
        EXPECT_EQ(verdict.format, format);
    }
    const QList<std::pair<QString, PictureFormat>> pillowFiles = {
        {"pil.png", PictureFormat::Png}, {"pil.gif", PictureFormat::Gif}, {"pil.tif", PictureFormat::Tiff},
        {"pil.bmp", PictureFormat::Bmp}, {"pil.pcx", PictureFormat::Pcx}, {"pil.tga", PictureFormat::Tga},
        {"pil.webp", PictureFormat::Webp}, {"pil.ppm", PictureFormat::Pnm}};
    QStringList arguments{QStringLiteral("-c"), QString::fromLatin1(kPillowScript), pattern};
    for (const auto& file : pillowFiles)
        arguments << Path(file.first);
    RunTool(QStringLiteral("/usr/bin/python3"), arguments);
    for (const auto& [name, format] : pillowFiles) {
        SCOPED_TRACE(name.toStdString());
        const FormatVerdict verdict = DetectPictureFormat(Read(name), name);
        EXPECT_TRUE(verdict.known) << verdict.refusal.toStdString();
        EXPECT_EQ(verdict.format, format);
    }
}

TEST_F(PictureFormatTest, TheContentDecidesNotTheName)
{
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(40, '\0');
    for (const QString name : {"a.tga", "a.jpg", "a.pcd", "a"}) {
        const FormatVerdict verdict = DetectPictureFormat(png, name);
        EXPECT_TRUE(verdict.known && verdict.format == PictureFormat::Png) << name.toStdString();
    }
    // A TGA header is known only under a TGA name; elsewhere it is nothing.
    const QByteArray tga = QByteArray("\0\0\x02", 3) + QByteArray(9, '\0') + QByteArray("\x05\0\x03\0\x18\0", 6);
    EXPECT_TRUE(DetectPictureFormat(tga, QStringLiteral("a.TGA")).known);
    EXPECT_TRUE(DetectPictureFormat(tga, QStringLiteral("a.vst")).known);
    EXPECT_FALSE(DetectPictureFormat(tga, QStringLiteral("a.bmp")).known);
    // Under a TGA name, bytes that are no TGA header are refused too.
    QByteArray badType = tga;
    badType[2] = 7;
    EXPECT_EQ(DetectPictureFormat(badType, QStringLiteral("a.tga")).refusal,
              QStringLiteral("Its header is not that of a TGA picture."));
    EXPECT_EQ(DetectPictureFormat("%!PS\nshowpage\n", QStringLiteral("a.tga")).refusal,
              QStringLiteral("It is a PostScript file, not a picture Pictaron opens."));
    EXPECT_EQ(DetectPictureFormat("  %PDF-1.7", QStringLiteral("a.png")).refusal,
              QStringLiteral("It is a PDF document, not a picture Pictaron opens."));
    EXPECT_EQ(DetectPictureFormat("viewbox 0 0 5 5\n", QStringLiteral("a.png")).refusal,
              QStringLiteral("It is text, not a picture."));
    EXPECT_EQ(DetectPictureFormat(QByteArray("\x01\x02\x03\x04\x05", 5), QStringLiteral("a.png")).refusal,
              QStringLiteral("It is not a picture in a format Pictaron reads."));
}

TEST_F(PictureFormatTest, PicturesOfASecondWriterLoadAsThatWriterReadsThem)
{
    const QString pattern = WritePattern();
    const QStringList names{QStringLiteral("second.bmp"), QStringLiteral("second.tga"), QStringLiteral("second.pcx"),
                            QStringLiteral("second.png"), QStringLiteral("second.tif"), QStringLiteral("second.gif"),
                            QStringLiteral("second.webp")};
    QStringList arguments{QStringLiteral("-c"), QString::fromLatin1(kPillowScript), pattern};
    for (const QString& name : names)
        arguments << Path(name);
    RunTool(QStringLiteral("/usr/bin/python3"), arguments);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const Bitmap loaded = PictureLoader().Load(Path(name));
        ASSERT_EQ(loaded.size(), Size(37, 23));
        QByteArray rgb;
        for (int y = 0; y < loaded.height(); ++y)
            for (int x = 0; x < loaded.width(); ++x) {
                const RGBTriple p = RowPixels(loaded, y)[x];
                rgb.append(char(p.red)).append(char(p.green)).append(char(p.blue));
            }
        EXPECT_EQ(rgb, Read(name + QStringLiteral(".rgb")));
    }
}
