// Hostile and unlucky input for the picture loader: page descriptions under a
// picture's name, tiny files declaring giant pictures, names that lead to
// pipes, devices, sockets and folders, files of gigabytes, newer BMP header
// kinds, files cut short.
#include "formats/pictureloader.h"
#include "components/qtbridge.h"

#include "childrun.h"
#include "components/errors.h"
#include "effects/blend.h"
#include "effects/pixels.h"
#include "testpictures.h"
#include "tests/hostilefiles.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <zlib.h>

#include <csignal>
#include <cstring>
#include <random>

using namespace pictaron;
using namespace pictaron::testpictures;
using namespace pictaron::testing;

namespace {

class HostileInputTest : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return folder_.filePath(name); }
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return Path(name);
    }
    QString LoadError(const QString& path) const
    {
        try {
            PictureLoader().Load(path);
        } catch (const PictaronError& error) {
            return ToQString(error.message());
        }
        return {};
    }
    // The probe's lines for the paths, loaded one after another in one process.
    QStringList Probe(const QStringList& paths, ChildRun* run = nullptr) const
    {
        const ChildRun child = RunChild(LoadProbe(), paths);
        EXPECT_TRUE(child.finished) << "the loader did not return";
        if (run)
            *run = child;
        return QString::fromLocal8Bit(child.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir folder_;
};

QByteArray Little(quint32 value, int size)
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(static_cast<char>(value >> (8 * i)));
    return bytes;
}

QByteArray Big32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray PngChunk(const char* type, const QByteArray& data)
{
    const QByteArray body = QByteArray(type) + data;
    return Big32(static_cast<quint32>(data.size())) + body
        + Big32(static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), static_cast<uInt>(body.size()))));
}

// Headers of a few dozen bytes that declare 60000 × 60000 pixels (28.8 GB of
// the library's pixels), each with a scrap of data.
QList<std::pair<QString, QByteArray>> GiantHeaders()
{
    constexpr quint32 kSide = 60000;
    QByteArray ihdr = Big32(kSide) + Big32(kSide) + QByteArray("\x08\x02\x00\x00\x00", 5);
    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", ihdr);
    const QByteArray bmp = "BM" + Little(54, 4) + Little(0, 4) + Little(54, 4) + Little(40, 4) + Little(kSide, 4)
        + Little(kSide, 4) + Little(1, 2) + Little(24, 2) + QByteArray(24, '\0');
    const QByteArray gif = "GIF89a" + Little(kSide, 2) + Little(kSide, 2) + QByteArray("\x80\0\0\0\0\0\xff\xff\xff,", 10)
        + Little(0, 4) + Little(kSide, 2) + Little(kSide, 2) + QByteArray("\0\x02\x02\x44\x01\0;", 7);
    // TIFF: one directory of width, length, 8-bit grey, one strip.
    QByteArray tiff = QByteArray("II*\0", 4) + Little(8, 4) + Little(6, 2);
    for (const auto& [tag, type, value] : {std::tuple(256, 4, kSide), std::tuple(257, 4, kSide), std::tuple(258, 3, 8u),
                                           std::tuple(262, 3, 1u), std::tuple(273, 4, 86u), std::tuple(279, 4, kSide * kSide)})
        tiff += Little(tag, 2) + Little(type, 2) + Little(1, 4) + Little(value, 4);
    tiff += Little(0, 4);
    QByteArray pcx = QByteArray("\x0a\x05\x01\x08", 4) + Little(0, 4) + Little(kSide - 1, 2) + Little(kSide - 1, 2);
    pcx += QByteArray(128 - pcx.size(), '\0');
    pcx[65] = 3;
    pcx.replace(66, 2, Little(kSide, 2));
    const QByteArray tga = QByteArray("\0\0\x02", 3) + QByteArray(9, '\0') + Little(kSide, 2) + Little(kSide, 2)
        + QByteArray("\x18\0", 2) + QByteArray(8, '\0');
    return {{QStringLiteral("giant.png"), png}, {QStringLiteral("giant.bmp"), bmp},
            {QStringLiteral("giant.gif"), gif}, {QStringLiteral("giant.tif"), tiff},
            {QStringLiteral("giant.pcx"), pcx + QByteArray(8, '\0')}, {QStringLiteral("giant.tga"), tga},
            {QStringLiteral("giant.pgm"), "P5\n60000 60000\n255\n" + QByteArray(16, '\0')}};
}

} // namespace

TEST_F(HostileInputTest, PageDescriptionsAndMarkupUnderPictureNamesStartNoProgram)
{
    // Programs the imaging library would start for such files, standing in
    // for the real ones: each leaves a mark.
    const QString bin = Path(QStringLiteral("bin")), mark = Path(QStringLiteral("started"));
    ASSERT_TRUE(QDir().mkpath(bin));
    for (const char* name : {"gs", "gsx", "gsc", "rsvg-convert", "inkscape", "convert", "curl", "wget"}) {
        const QString path = Write(QStringLiteral("bin/") + QLatin1String(name),
                                   "#!/bin/sh\necho $0 >> '" + QFile::encodeName(mark) + "'\nexit 1\n");
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    // The stand-in works: run once by hand, it leaves its mark.
    RunChild(bin + QStringLiteral("/gs"), {});
    ASSERT_TRUE(QFile::exists(mark));
    QFile::remove(mark);

    const QList<std::pair<const char*, QByteArray>> contents = {
        {"PostScript", "%!PS-Adobe-3.0\n%%BoundingBox: 0 0 10 10\n0 0 moveto 10 10 lineto stroke showpage\n"},
        {"EPS", QByteArray("\xC5\xD0\xD3\xC6\x1e\0\0\0", 8) + "%!PS-Adobe-3.0 EPSF-3.0\nshowpage\n"},
        {"PostScript after ^D", "\x04%!PS\nshowpage\n"},
        {"PDF", "%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\ntrailer << /Root 1 0 R >>\n%%EOF\n"},
        {"SVG", "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>\n"},
        {"bare SVG", "\xEF\xBB\xBF  <svg width=\"10\" height=\"10\"><image href=\"/etc/passwd\"/></svg>"},
        {"drawing script", "push graphic-context\nviewbox 0 0 10 10\nimage over 0,0 0,0 'ps:/etc/passwd'\npop graphic-context\n"},
    };
    QStringList paths;
    for (int i = 0; i < contents.size(); ++i)
        for (const char* extension : {"png", "jpg", "tga", "bmp", "gif", "ps"})
            paths << Write(QStringLiteral("file%1.%2").arg(i).arg(QLatin1String(extension)), contents[i].second);

    const QString trace = Path(QStringLiteral("trace"));
    const ChildRun run = RunChild(QStringLiteral("strace"),
                                  QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-e"),
                                              QStringLiteral("trace=execve"), QStringLiteral("-o"), trace, LoadProbe()}
                                      + paths,
                                  {QStringLiteral("PATH=") + bin + QStringLiteral(":/usr/bin:/bin")});
    ASSERT_TRUE(run.finished);
    const QStringList lines = QString::fromLocal8Bit(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), paths.size()) << run.out.toStdString();
    for (int i = 0; i < paths.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("error Cannot open ") + paths[i] + QStringLiteral(".  ")))
            << lines[i].toStdString();
    }
    EXPECT_TRUE(lines[0].contains(QStringLiteral("PostScript"))) << lines[0].toStdString();
    EXPECT_FALSE(QFile::exists(mark)) << "a stand-in program ran";
    // strace saw exactly one program start: the probe itself.
    QFile log(trace);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray calls = log.readAll();
    EXPECT_EQ(calls.count("execve("), 1) << calls.toStdString();
}

TEST_F(HostileInputTest, GiantHeadersAreRefusedWithLittleMemory)
{
    QStringList paths;
    for (const auto& [name, bytes] : GiantHeaders()) {
        ASSERT_LT(bytes.size(), 140) << name.toStdString();
        paths << Write(name, bytes);
    }
    ChildRun run;
    const QStringList lines = Probe(paths, &run);
    ASSERT_EQ(lines.size(), paths.size()) << run.out.toStdString();
    for (int i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(lines[i], QStringLiteral("error Cannot open %1.  The picture is 60000 by 60000 pixels; Pictaron "
                                           "opens pictures of up to 100 megapixels.").arg(paths[i]));
    }
    // The whole process, the picture module and its libraries included.
    EXPECT_LT(run.peakKiB, 200 * 1024);
    std::printf("peak resident size of the probe over %lld giant headers: %ld KiB\n",
                static_cast<long long>(paths.size()), run.peakKiB);
}

TEST_F(HostileInputTest, LibraryLimitsHoldWhereTheHeaderSizeIsNotReadByTheLoader)
{
    // A TIFF declares its size in a directory anywhere in the file; the
    // library pings it under limits set to the loader's own.
    const QByteArray tiff = GiantHeaders()[3].second;
    QByteArray far = tiff.left(4) + Little(4096, 4) + QByteArray(4088, '\0') + tiff.mid(8);
    const QString path = Write(QStringLiteral("far.tif"), far);
    ChildRun run;
    const QStringList lines = Probe({path}, &run);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("error Cannot open ") + path)) << lines[0].toStdString();
    EXPECT_LT(run.peakKiB, 200 * 1024);
}

TEST_F(HostileInputTest, NamesThatAreNoRegularFileAreRefusedWithoutWaiting)
{
    const QString fifo = Path(QStringLiteral("pipe.png"));
    ASSERT_TRUE(MakeFifo(fifo));
    const QString socket = Path(QStringLiteral("socket.jpg"));
    const int socketDescriptor = MakeSocket(socket);
    ASSERT_GE(socketDescriptor, 0);
    const QString zero = Path(QStringLiteral("zero.png"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));

    const QString reading = ReadWithoutBlocking(fifo, [&] { return LoadError(fifo); });
    EXPECT_EQ(reading, QStringLiteral("Cannot open %1.  It is a named pipe, not a file.").arg(fifo));
    EXPECT_EQ(LoadError(socket), QStringLiteral("Cannot open %1.  It is a socket, not a file.").arg(socket));
    EXPECT_EQ(LoadError(zero), QStringLiteral("Cannot open %1.  It is a device, not a file.").arg(zero));
    EXPECT_EQ(LoadError(QStringLiteral("/dev/zero")), QStringLiteral("Cannot open /dev/zero.  It is a device, not a file."));
    EXPECT_EQ(LoadError(folder_.path()), QStringLiteral("Cannot open %1.  It is a folder, not a file.").arg(folder_.path()));
    ::close(socketDescriptor);

    // The same for a run's input, which is mapped, and for the second
    // picture of a blend.
    QString forRun;
    ReadWithoutBlocking(fifo, [&] {
        try {
            PictureLoader().LoadForRun(fifo);
        } catch (const PictaronError& error) {
            forRun = ToQString(error.message());
        }
        return 0;
    });
    EXPECT_TRUE(forRun.contains(QStringLiteral("named pipe"))) << forRun.toStdString();
    const Bitmap working = NewWorkingBitmap(4, 4);
    for (const QString& second : {fifo, zero}) {
        QString blend;
        ReadWithoutBlocking(fifo, [&] {
            try {
                BlendStep(working, ToUtf8(second), 50, false);
            } catch (const PictaronError& error) {
                blend = ToQString(error.message());
            }
            return 0;
        });
        EXPECT_TRUE(blend.startsWith(QStringLiteral("Cannot open ") + second)) << blend.toStdString();
    }
}

TEST_F(HostileInputTest, FilesLargerThanAnyPictureAreRefusedUnread)
{
    // 4 GiB that take no room on disk, behind a real PNG signature.
    const QString huge = Path(QStringLiteral("huge.png"));
    ASSERT_TRUE(MakeSparseFile(huge, 4LL << 30, QByteArray("\x89PNG\r\n\x1a\n", 8)));
    ChildRun run;
    const QStringList lines = Probe({huge}, &run);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0], QStringLiteral("error Cannot open %1.  It is 4.00 GiB; no picture Pictaron opens takes more "
                                       "than %2 MB.").arg(huge).arg(PictureLoader::kMaxBytes / 1'000'000));
    EXPECT_LT(run.peakKiB, 200 * 1024);
    // Just within the limit the file is read, and refused for what it holds.
    const QString within = Path(QStringLiteral("within.png"));
    ASSERT_TRUE(MakeSparseFile(within, PictureLoader::kMaxBytes, QByteArray("\x89PNG\r\n\x1a\n", 8)));
    EXPECT_FALSE(LoadError(within).contains(QStringLiteral("no picture Pictaron opens takes"))) << LoadError(within).toStdString();
}

namespace {

// A 24-bit BMP of width × height with one of the newer header kinds (108
// bytes: V4, 124: V5) that names an alpha mask, as some writers do although
// 24-bit pixels have no room for alpha. Or, with alpha, 32-bit pixels with
// bit fields whose fourth byte is alpha. The colour of (x, y) is Expected().
RGBTriple Expected(int x, int y)
{
    return RGBTriple{static_cast<std::uint8_t>(40 * x + 7), static_cast<std::uint8_t>(60 * y + 11),
                     static_cast<std::uint8_t>(30 * (x + y) + 13)};
}
std::uint8_t AlphaAt(int x, int y)
{
    return static_cast<std::uint8_t>((x + y) % 3 == 0 ? 0 : 255);
}

QByteArray NewerKindBmp(int headerSize, int width, int height, bool withAlpha)
{
    const int bits = withAlpha ? 32 : 24;
    const int rowBytes = (width * bits / 8 + 3) / 4 * 4;
    QByteArray pixels;
    for (int y = height - 1; y >= 0; --y) {  // bottom-up
        QByteArray row;
        for (int x = 0; x < width; ++x) {
            const RGBTriple c = Expected(x, y);
            row.append(char(c.blue)).append(char(c.green)).append(char(c.red));
            if (withAlpha)
                row.append(char(AlphaAt(x, y)));
        }
        pixels += row + QByteArray(rowBytes - row.size(), '\0');
    }
    QByteArray info = Little(headerSize, 4) + Little(width, 4) + Little(height, 4) + Little(1, 2) + Little(bits, 2)
        + Little(withAlpha ? 3 : 0, 4) + Little(pixels.size(), 4) + Little(2835, 4) + Little(2835, 4) + Little(0, 4)
        + Little(0, 4);
    info += Little(0x00FF0000, 4) + Little(0x0000FF00, 4) + Little(0x000000FF, 4) + Little(0xFF000000, 4);
    info += QByteArray("BGRs", 4) + QByteArray(36 + 12, '\0');  // colour space, end points, gamma
    if (headerSize == 124)
        info += Little(4, 4) + Little(0, 4) + Little(0, 4) + Little(0, 4);  // intent, profile, reserved
    EXPECT_EQ(info.size(), headerSize);
    const int offset = 14 + headerSize;
    return "BM" + Little(offset + pixels.size(), 4) + Little(0, 4) + Little(offset, 4) + info + pixels;
}

// What the loader must give: the colours, flattened onto white where alpha
// is 0 (the test's alpha is 0 or 255 only).
QByteArray ExpectedHex(int width, int height, bool withAlpha)
{
    QByteArray bytes;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const RGBTriple c = withAlpha && AlphaAt(x, y) == 0 ? RGBTriple{255, 255, 255} : Expected(x, y);
            bytes.append(char(c.blue)).append(char(c.green)).append(char(c.red));
        }
    return QStringLiteral("ok %1 %2 ").arg(width).arg(height).toLatin1() + bytes.toHex();
}

// A transparent picture whose pixels fill the memory a later picture may get.
QString NoisyTransparentPng(const QString& path)
{
    QImage noise(256, 256, QImage::Format_ARGB32);
    std::mt19937 random(7);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, static_cast<QRgb>(random()));
    EXPECT_TRUE(noise.save(path));
    return path;
}

} // namespace

TEST_F(HostileInputTest, NewerBmpHeaderKindsWithAnAlphaMaskButNoAlphaAreOpaque)
{
    const QStringList paths{NoisyTransparentPng(Path(QStringLiteral("noise.png"))),
                            Write(QStringLiteral("v4.bmp"), NewerKindBmp(108, 5, 3, false)),
                            Write(QStringLiteral("v5.bmp"), NewerKindBmp(124, 5, 3, false)),
                            Write(QStringLiteral("noise2.png"), {}),
                            Write(QStringLiteral("v5-odd.bmp"), NewerKindBmp(124, 7, 4, false)),
                            Write(QStringLiteral("v5-alpha.bmp"), NewerKindBmp(124, 6, 5, true))};
    QFile::remove(paths[3]);
    QFile::copy(paths[0], paths[3]);
    // Under memcheck, which fails the run on any use of memory never set. A
    // build with AddressSanitizer (scripts/sanitize.sh) checks the run itself;
    // memcheck cannot run such a program.
#ifdef __SANITIZE_ADDRESS__
    const ChildRun run = RunChild(LoadProbe(), paths, {QStringLiteral("OMP_NUM_THREADS=1")});
    constexpr bool memcheckSkipped = false;
#else
    ChildRun run = RunChild(QStringLiteral("valgrind"),
                            QStringList{QStringLiteral("--tool=memcheck"), QStringLiteral("--error-exitcode=99"),
                                        QStringLiteral("-q"), LoadProbe()}
                                + paths,
                            {QStringLiteral("OMP_NUM_THREADS=1")});
    // valgrind cannot run RDTSCP on some processors, and a library the
    // picture module links executes it as it loads: the run then ends on
    // SIGILL before any picture is read. The pixels are checked all the same,
    // and the test reports memcheck skipped.
    const bool memcheckSkipped = run.signal == SIGILL;
    if (memcheckSkipped)
        run = RunChild(LoadProbe(), paths, {QStringLiteral("OMP_NUM_THREADS=1")});
#endif
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0) << "memcheck found errors";
    const QStringList lines = QString::fromLocal8Bit(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), paths.size()) << run.out.toStdString();
    EXPECT_EQ(lines[1], QString::fromLatin1(ExpectedHex(5, 3, false)));
    EXPECT_EQ(lines[2], QString::fromLatin1(ExpectedHex(5, 3, false)));
    EXPECT_EQ(lines[4], QString::fromLatin1(ExpectedHex(7, 4, false)));
    EXPECT_EQ(lines[5], QString::fromLatin1(ExpectedHex(6, 5, true)));

    // In this process too, after pictures of every kind.
    PictureLoader loader;
    for (int round = 0; round < 3; ++round) {
        loader.Load(paths[0]);
        const Bitmap v5 = loader.Load(paths[4]);
        ASSERT_EQ(v5.size(), Size(7, 4));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(RowPixels(v5, y)[x], Expected(x, y)) << x << "," << y;
    }
    if (memcheckSkipped)
        GTEST_SKIP() << "valgrind cannot run this processor's RDTSCP: the pixels were checked without memcheck";
}

TEST_F(HostileInputTest, CutShortJpegGivesOneWarningNamingTheFile)
{
    const QString shared = SharedTestPicture(QStringLiteral("medium-photo.jpg"));
    QByteArray jpeg;
    if (!shared.isEmpty()) {
        QFile file(shared);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        jpeg = file.readAll();
    } else {
        jpeg = RunTool(QStringLiteral("cjpeg"), {}, ToPpm(PatternPicture(300, 200)));
    }
    const QString whole = Write(QStringLiteral("whole.jpg"), jpeg);
    const QString cut = Write(QStringLiteral("cut.jpg"), jpeg.left(jpeg.size() / 2));
    QStringList warnings;
    const Bitmap full = PictureLoader().Load(whole, &warnings);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
    const Bitmap part = PictureLoader().Load(cut, &warnings);
    EXPECT_EQ(part.size(), full.size());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], cut + QStringLiteral(" is damaged or cut short; the picture holds only what could be read."));
    // The top rows are the whole picture's.
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(part.constScanLine(0)), 3 * part.width()),
              QByteArray(reinterpret_cast<const char*>(full.constScanLine(0)), 3 * full.width()));
}

TEST_F(HostileInputTest, AnXmpTextInflatingToAGibibyteIsLeftOutWithLittleMemory)
{
    // A colour ramp saved by Qt's writer, and the same file with a compressed
    // XMP iTXt of a gibibyte of spaces (about a megabyte in the file) before
    // its pixels.
    QImage ramp(40, 30, QImage::Format_RGB888);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            ramp.setPixelColor(x, y, QColor(x * 6, y * 8, 90));
    const QString plain = Path(QStringLiteral("plain.png"));
    ASSERT_TRUE(ramp.save(plain, "PNG"));
    QFile file(plain);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray png = file.readAll();

    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 9), Z_OK);
    const QByteArray spaces(1 << 20, ' ');
    QByteArray bomb(4 << 20, '\0');
    z.next_out = reinterpret_cast<Bytef*>(bomb.data());
    z.avail_out = static_cast<uInt>(bomb.size());
    for (int i = 0; i < 1024; ++i) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(spaces.constData()));
        z.avail_in = static_cast<uInt>(spaces.size());
        ASSERT_EQ(deflate(&z, i == 1023 ? Z_FINISH : Z_NO_FLUSH), i == 1023 ? Z_STREAM_END : Z_OK);
        ASSERT_EQ(z.avail_in, 0u);
    }
    bomb.resize(static_cast<qsizetype>(z.total_out));
    deflateEnd(&z);
    const QByteArray itxt = PngChunk("iTXt", QByteArray("XML:com.adobe.xmp\0\1\0\0\0", 22) + bomb);
    const QString bombed = Write(QStringLiteral("bombed.png"), png.left(33) + itxt + png.mid(33));

    ChildRun run;
    const QStringList lines = Probe({plain, bombed}, &run);
    ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("ok 40 30 "))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], lines[0]);
    EXPECT_LT(run.peakKiB, 200 * 1024);
    EXPECT_TRUE(SourceTagsOf(PictureLoader().Load(bombed)).xmp.isEmpty());
}

TEST_F(HostileInputTest, CutShortPngGivesItsWholeRowsAndOneWarning)
{
    // Rows of a colour ramp with transparency, saved by Qt's own writer
    // without interlace, then cut at two thirds: the rows before the cut are
    // the whole picture's, the rest grey and opaque.
    QImage rgba(120, 90, QImage::Format_RGBA8888);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            rgba.setPixelColor(x, y, QColor(x * 2, y * 2, (x * y) % 256, x < 60 ? 255 : 128));
    const QString whole = Path(QStringLiteral("whole.png"));
    ASSERT_TRUE(rgba.save(whole, "PNG", 100));  // stored with little compression, so rows spread over the file
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray png = file.readAll();
    const QString cut = Write(QStringLiteral("cut.png"), png.left(png.size() * 2 / 3));

    QStringList warnings;
    Bitmap fullAlpha, partAlpha;
    const Bitmap full = PictureLoader().Load(whole, &warnings, &fullAlpha);
    EXPECT_TRUE(warnings.isEmpty());
    const Bitmap part = PictureLoader().Load(cut, &warnings, &partAlpha);
    ASSERT_EQ(part.size(), full.size());
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0], cut + QStringLiteral(" is damaged or cut short; the picture holds only what could be read."));
    ASSERT_EQ(partAlpha.size(), full.size());
    int wholeRows = 0;
    while (wholeRows < 90 && std::memcmp(part.constScanLine(wholeRows), full.constScanLine(wholeRows), 360) == 0
           && std::memcmp(partAlpha.constScanLine(wholeRows), fullAlpha.constScanLine(wholeRows), 120) == 0)
        ++wholeRows;
    EXPECT_GT(wholeRows, 30);
    EXPECT_LT(wholeRows, 90);
    for (int y = wholeRows + 1; y < 90; ++y)
        for (int x = 0; x < 120; ++x) {
            ASSERT_EQ(RowPixels(part, y)[x], (RGBTriple{128, 128, 128})) << x << "," << y;
            ASSERT_EQ(partAlpha.constScanLine(y)[x], 255);
        }

    // Nothing whole to give: a cut inside the header, and an interlaced
    // picture, whose first rows are not the picture's.
    EXPECT_THROW(PictureLoader().Load(Write(QStringLiteral("head.png"), png.left(40))), PictaronError);
    const QString interlaced = Path(QStringLiteral("interlaced.png"));
    RunTool(QStringLiteral("gm"), {QStringLiteral("convert"), whole, QStringLiteral("-interlace"), QStringLiteral("Line"),
                                   interlaced});
    QFile interlacedFile(interlaced);
    ASSERT_TRUE(interlacedFile.open(QIODevice::ReadOnly));
    const QByteArray adam7 = interlacedFile.readAll();
    ASSERT_EQ(static_cast<int>(adam7[28]), 1) << "gm wrote no Adam7 picture";
    EXPECT_THROW(PictureLoader().Load(Write(QStringLiteral("cut7.png"), adam7.left(adam7.size() * 2 / 3))), PictaronError);
}

TEST_F(HostileInputTest, CommandLineTellsOfAPictureReadInPart)
{
    const QByteArray jpeg = RunTool(QStringLiteral("cjpeg"), {}, ToPpm(PatternPicture(160, 120)));
    const QString cut = Write(QStringLiteral("cut.jpg"), jpeg.left(jpeg.size() / 2));
    const QString whole = Write(QStringLiteral("whole.jpg"), jpeg);
    const QString line = cut + QStringLiteral(" is damaged or cut short; the picture holds only what could be read.");
    for (const auto& [input, warnings] : {std::pair(cut, QStringList{line}), std::pair(whole, QStringList{})}) {
        QProcess cli;
        cli.start(QStringLiteral(PICTARON_CLI), {input, QStringLiteral("-o"), Path(QStringLiteral("out.jpg")), QStringLiteral("--json")});
        ASSERT_TRUE(cli.waitForFinished(120000));
        EXPECT_EQ(cli.exitCode(), 0);
        const QJsonObject json = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        EXPECT_EQ(json.value(QStringLiteral("warnings")).toVariant().toStringList(), warnings);
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        EXPECT_EQ(err, warnings.isEmpty() ? QString() : QStringLiteral("pictaron-cli: ") + line + QLatin1Char('\n'));
    }
}
