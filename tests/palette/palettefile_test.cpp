// Reading JASC and RIFF ".pal", ".act" and the colour table of ".gif" files.
#include "palette/palettefile.h"
#include "components/qtbridge.h"

#include "components/errors.h"
#include "testbitmaps.h"
#include "tests/hostilefiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace pictaron;
using namespace pictaron::testbitmaps;

namespace {

Palette LoadPalette(const QString& path)
{
    return LoadPaletteFile(ToUtf8(path));
}

class PaletteFileTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // The message of the error LoadPaletteFile throws, or "" without one.
    QString ErrorOf(const QString& path)
    {
        try {
            LoadPalette(path);
        } catch (const PictaronError& error) {
            return ToQString(error.message());
        }
        return QString();
    }

    QTemporaryDir folder_;
};

QByteArray Riff(int count, const QByteArray& entries)
{
    QByteArray bytes("RIFF");
    bytes.append("\x10\x04\0\0", 4).append("PAL ").append("data").append("\x04\x04\0\0", 4);
    bytes.append("\x00\x03", 2);  // version
    bytes.append(static_cast<char>(count & 0xFF)).append(static_cast<char>(count >> 8));
    return bytes + entries;
}

PaletteEntry Entry(int red, int green, int blue, int flags = 0)
{
    return PaletteEntry{std::uint8_t(red), std::uint8_t(green), std::uint8_t(blue), std::uint8_t(flags)};
}

} // namespace

TEST_F(PaletteFileTest, JascPaletteWithCrLfLines)
{
    const QString path = Write(QStringLiteral("two.pal"), "JASC-PAL\r\n0100\r\n2\r\n255 0 0\r\n0 0 255\r\n");
    EXPECT_EQ(LoadPalette(path), (Palette{Entry(255, 0, 0), Entry(0, 0, 255)}));
}

TEST_F(PaletteFileTest, JascPaletteWithLfLinesAndTrailingBlankLines)
{
    const QString lf = Write(QStringLiteral("lf.pal"), "JASC-PAL\n0100\n2\n255 0 0\n0 0 255\n\n\n");
    EXPECT_EQ(LoadPalette(lf), (Palette{Entry(255, 0, 0), Entry(0, 0, 255)}));
    const QString crlf = Write(QStringLiteral("blank.pal"), "JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n\r\n\r\n");
    EXPECT_EQ(LoadPalette(crlf), (Palette{Entry(1, 2, 3)}));
}

TEST_F(PaletteFileTest, JascFieldsSplitAtEverySpaceAndKeepTheLowByte)
{
    // Two spaces make an empty second field, so the fields are 0, "", 255, 0.
    // 300 keeps its low eight bits, 44.
    const QString path = Write(QStringLiteral("odd.pal"), "JASC-PAL\r\n0100\r\n2\r\n0  255 0\r\n300 x 7\r\n");
    EXPECT_EQ(LoadPalette(path), (Palette{Entry(0, 0, 255), Entry(44, 0, 7)}));
}

// Numbers of a JASC line mean what the toolkit's QString::toInt made of the
// line read as Latin-1: ASCII white space around them (a no-break space or
// NEL spoils them), a sign; 0 for anything else and for a number beyond int.
TEST_F(PaletteFileTest, JascNumbersReadAsTheToolkitReadThem)
{
    const QList<QByteArray> numbers{"\t12",  "+7",    "-1",          "0x10",       "1e2",        "08",  "5\xA0",
                                    "\xA0\x85" "9",   "\r3\v", "99999999999", "2147483647", "-2147483648", "+-3", "\xB2"};
    QByteArray text("JASC-PAL\r\n0100\r\n " + QByteArray::number(numbers.size()) + "\t\r\n");
    Palette expected;
    for (const QByteArray& number : numbers) {
        text += number + " 1 2\r\n";
        expected.push_back(Entry(QString::fromLatin1(number).toInt() & 0xFF, 1, 2));
    }
    EXPECT_EQ(LoadPalette(Write(QStringLiteral("numbers.pal"), text)), expected);
    const QString spoiled = Write(QStringLiteral("spoiled.pal"), "JASC-PAL\r\n0100\r\n1\xA0\r\n1 2 3\r\n");
    EXPECT_TRUE(ErrorOf(spoiled).contains(QStringLiteral("holds no colours")));
}

// Only the file's own name decides its kind, letter case aside, and a
// message names the file as given.
TEST_F(PaletteFileTest, TheExtensionOfTheNameChoosesTheReader)
{
    EXPECT_EQ(LoadPalette(Write(QStringLiteral("upper.ACT"), QByteArray(3, '\x05'))).front(), Entry(5, 5, 5));
    EXPECT_EQ(LoadPalette(Write(QStringLiteral(".act"), QByteArray(3, '\x06'))).front(), Entry(6, 6, 6));
    ASSERT_TRUE(QDir().mkdir(folder_.filePath(QStringLiteral("kind.act"))));
    const QString inside = Write(QStringLiteral("kind.act/plain"), QByteArray(3, '\x07'));
    EXPECT_EQ(ErrorOf(inside), QStringLiteral("The palette file %1 is not one Pictaron reads: palettes come from "
                                              ".pal, .act and .gif files.").arg(inside));
    const QString trailingDot = Write(QStringLiteral("dot.act."), QByteArray(3, '\x07'));
    EXPECT_TRUE(ErrorOf(trailingDot).contains(QStringLiteral("is not one Pictaron reads")));
    const QString named = Write(QStringLiteral("Größe €.pal"), "JASC-PAL\n0100\n0\n");
    EXPECT_EQ(ErrorOf(named), QStringLiteral("The palette file %1 holds no colours.").arg(named));
}

TEST_F(PaletteFileTest, JascCountAbove256ReadsTheFirst256Lines)
{
    QByteArray text("JASC-PAL\r\n0100\r\n300\r\n");
    for (int i = 0; i < 300; ++i)
        text += QByteArray::number(i % 256) + ' ' + QByteArray::number(i / 256) + " 9\r\n";
    const Palette palette = LoadPalette(Write(QStringLiteral("many.pal"), text));
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[255], Entry(255, 0, 9));
}

TEST_F(PaletteFileTest, JascShortOfLinesOrNumbersNamesTheFileAndLine)
{
    const QString shortFile = Write(QStringLiteral("short.pal"), "JASC-PAL\r\n0100\r\n3\r\n1 2 3\r\n4 5 6\r\n");
    const QString message = ErrorOf(shortFile);
    EXPECT_TRUE(message.contains(QStringLiteral("short.pal")) && message.contains(QStringLiteral("3 colours")))
        << message.toStdString();

    const QString fewFields = Write(QStringLiteral("fields.pal"), "JASC-PAL\n0100\n2\n1 2 3\n4 5\n");
    EXPECT_EQ(ErrorOf(fewFields),
              QStringLiteral("Line 5 of the palette file %1 does not hold three numbers.").arg(QDir::toNativeSeparators(fewFields)));
}

TEST_F(PaletteFileTest, FilesWithoutColoursAreRefused)
{
    for (const QByteArray& count : {QByteArray("0"), QByteArray("-4"), QByteArray("many")}) {
        const QString path = Write(QStringLiteral("none.pal"), "JASC-PAL\r\n0100\r\n" + count + "\r\n1 2 3\r\n");
        EXPECT_EQ(ErrorOf(path), QStringLiteral("The palette file %1 holds no colours.").arg(QDir::toNativeSeparators(path)));
    }
    const QString riff = Write(QStringLiteral("empty.pal"), Riff(0, QByteArray()));
    EXPECT_EQ(ErrorOf(riff), QStringLiteral("The palette file %1 holds no colours.").arg(QDir::toNativeSeparators(riff)));
    const QString header = Write(QStringLiteral("header.pal"), "JASC-PAL\r\n");
    EXPECT_TRUE(ErrorOf(header).contains(QStringLiteral("holds no colours")));
}

TEST_F(PaletteFileTest, RiffPaletteKeepsItsCountAndFlags)
{
    QByteArray entries;
    for (int i = 0; i < 16; ++i)
        entries.append(char(i)).append(char(2 * i)).append(char(3 * i)).append(char(i == 5 ? 4 : 0));
    const Palette palette = LoadPalette(Write(QStringLiteral("riff.PAL"), Riff(16, entries)));
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[0], Entry(0, 0, 0));
    EXPECT_EQ(palette[5], Entry(5, 10, 15, 4));
    EXPECT_EQ(palette[15], Entry(15, 30, 45));
}

TEST_F(PaletteFileTest, RiffEntriesTheFileLacksStayBlack)
{
    // Count 4, but only one whole entry and half of another.
    const Palette palette = LoadPalette(Write(QStringLiteral("cut.pal"), Riff(4, QByteArray("\x10\x20\x30\x00\x40\x50", 6))));
    EXPECT_EQ(palette, (Palette{Entry(16, 32, 48), Entry(0, 0, 0), Entry(0, 0, 0), Entry(0, 0, 0)}));
    // Counts above 256 are 256.
    EXPECT_EQ(LoadPalette(Write(QStringLiteral("big.pal"), Riff(1000, QByteArray()))).size(), 256u);
    // A header cut before the count is an error, not a guess.
    const QString header = Write(QStringLiteral("head.pal"), Riff(4, QByteArray()).left(21));
    EXPECT_TRUE(ErrorOf(header).contains(QStringLiteral("cut short")));
}

TEST_F(PaletteFileTest, FilesThatAreNoPaletteAreRefusedByName)
{
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"text.pal", "hello, this is no palette", "is neither a JASC nor a RIFF palette."},
        {"wave.pal", QByteArray("RIFF\x04\0\0\0WAVEdata", 16), "is neither a JASC nor a RIFF palette."},
        {"colours.txt", "JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n",
         "is not one Pictaron reads: palettes come from .pal, .act and .gif files."},
        {"not.gif", "PNG and more", "is not a GIF file."},
        {"short.gif", "GIF89a\x01\x00", "ends inside the GIF header."},
    };
    for (const auto& c : cases) {
        const QString path = Write(QString::fromLatin1(c.name), c.bytes);
        EXPECT_EQ(ErrorOf(path), QStringLiteral("The palette file %1 %2").arg(QDir::toNativeSeparators(path), QLatin1String(c.reason)));
    }
    EXPECT_EQ(ErrorOf(Write(QStringLiteral("empty.act"), {})),
              QStringLiteral("The palette file %1 holds no colours.").arg(QDir::toNativeSeparators(folder_.filePath(QStringLiteral("empty.act")))));
}

TEST_F(PaletteFileTest, ActFileOf768Bytes)
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i)).append(char(255 - i)).append(char(i / 2));
    const Palette palette = LoadPalette(Write(QStringLiteral("table.act"), bytes + "tail"));
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], Entry(0, 255, 0));
    EXPECT_EQ(palette[255], Entry(255, 0, 127));
}

TEST_F(PaletteFileTest, ShortActFileRepeatsThePreviousEntry)
{
    // Five bytes: entry 0 whole, entry 1 missing its blue, which repeats
    // entry 0's blue; every later entry repeats entry 1.
    const Palette palette = LoadPalette(Write(QStringLiteral("short.act"), QByteArray("\x01\x02\x03\x04\x05", 5)));
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], Entry(1, 2, 3));
    EXPECT_EQ(palette[1], Entry(4, 5, 3));
    EXPECT_EQ(palette[255], Entry(4, 5, 3));
}

TEST_F(PaletteFileTest, GifGlobalTableFillsTheFirstEntries)
{
    // A 16-colour table (packed 0x83), then whatever follows.
    QByteArray bytes("GIF89a\x01\x00\x01\x00\x83\x00\x00", 13);
    for (int i = 0; i < 16; ++i)
        bytes.append(char(100 + i)).append(char(i)).append(char(200));
    bytes.append(",\0\0", 3);
    const Palette palette = LoadPalette(Write(QStringLiteral("sixteen.gif"), bytes));
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], Entry(100, 0, 200));
    EXPECT_EQ(palette[15], Entry(115, 15, 200));
    EXPECT_EQ(palette[16], Entry(0, 0, 0));

    // Without a global table: all black.
    QByteArray noTable("GIF87a\x01\x00\x01\x00\x00\x00\x00", 13);
    EXPECT_EQ(LoadPalette(Write(QStringLiteral("none.gif"), noTable)), Palette(256));
}

TEST_F(PaletteFileTest, MissingFileNamesIt)
{
    const QString path = folder_.filePath(QStringLiteral("absent.act"));
    EXPECT_TRUE(ErrorOf(path).contains(QStringLiteral("absent.act")));
}

TEST_F(PaletteFileTest, NamesThatAreNoRegularFileAreRefusedWithoutWaiting)
{
    for (const QString name : {"pipe.pal", "pipe.act", "pipe.gif"}) {
        const QString fifo = folder_.filePath(name);
        ASSERT_TRUE(pictaron::testing::MakeFifo(fifo));
        const QString message = pictaron::testing::ReadWithoutBlocking(fifo, [&] { return ErrorOf(fifo); });
        EXPECT_EQ(message, QStringLiteral("Cannot read %1.  It is a named pipe, not a file.").arg(fifo));
    }
    const QString zero = folder_.filePath(QStringLiteral("zero.act"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    EXPECT_EQ(ErrorOf(zero), QStringLiteral("Cannot read %1.  It is a device, not a file.").arg(zero));
    const QString folder = folder_.filePath(QStringLiteral("folder.pal"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_EQ(ErrorOf(folder), QStringLiteral("Cannot read %1.  It is a folder, not a file.").arg(folder));
}

TEST_F(PaletteFileTest, FilesLargerThanTheirKindCanBeAreRefused)
{
    // 4 GiB that take no room on disk, behind a valid start of each kind.
    const QString pal = folder_.filePath(QStringLiteral("huge.pal"));
    ASSERT_TRUE(pictaron::testing::MakeSparseFile(pal, 4LL << 30, "JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n"));
    EXPECT_EQ(ErrorOf(pal), QStringLiteral("Cannot read %1.  It is 4.00 GiB; a file of this kind holds at most 16.19 KiB.").arg(pal));
    const QString act = folder_.filePath(QStringLiteral("huge.act"));
    ASSERT_TRUE(pictaron::testing::MakeSparseFile(act, 4LL << 30));
    EXPECT_EQ(ErrorOf(act), QStringLiteral("Cannot read %1.  It is 4.00 GiB; a file of this kind holds at most 772 bytes.").arg(act));

    // One byte beyond what each kind holds.
    QByteArray actBytes(773, '\x11');
    EXPECT_TRUE(ErrorOf(Write(QStringLiteral("long.act"), actBytes)).contains(QStringLiteral("at most 772 bytes")));
    EXPECT_EQ(LoadPalette(Write(QStringLiteral("full.act"), actBytes.left(772))).size(), 256u);
    const QString riff = Write(QStringLiteral("long.pal"), Riff(256, QByteArray(4 * 256 + 5, '\0')));
    EXPECT_EQ(ErrorOf(riff), QStringLiteral("The palette file %1 is 1053 bytes long; a RIFF palette holds at most 1052 bytes.").arg(riff));
    EXPECT_EQ(LoadPalette(Write(QStringLiteral("full.pal"), Riff(256, QByteArray(4 * 256 + 4, '\0')))).size(), 256u);
    QByteArray jasc("JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n");
    jasc += QByteArray(259 * 64 - jasc.size(), ' ');
    EXPECT_EQ(LoadPalette(Write(QStringLiteral("padded.pal"), jasc)), (Palette{Entry(1, 2, 3)}));
    EXPECT_TRUE(ErrorOf(Write(QStringLiteral("padded2.pal"), jasc + ' ')).contains(QStringLiteral("at most 16.19 KiB")));
}

TEST_F(PaletteFileTest, AGifOfAnySizeGivesItsTableFromItsFirstBytes)
{
    // A 4 GiB GIF: only its header and table are read.
    QByteArray head("GIF89a\x01\x00\x01\x00\x81\x00\x00", 13);
    head.append("\x0a\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14\x15", 12);
    const QString gif = folder_.filePath(QStringLiteral("huge.gif"));
    ASSERT_TRUE(pictaron::testing::MakeSparseFile(gif, 4LL << 30, head));
    const Palette palette = LoadPalette(gif);
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], Entry(10, 11, 12));
    EXPECT_EQ(palette[3], Entry(19, 20, 21));
    EXPECT_EQ(palette[4], Entry(0, 0, 0));
}

TEST_F(PaletteFileTest, GifTableEqualsWhatASecondReaderFinds)
{
    // A real picture made into a GIF; Pillow reads its global table.
    const QString source = SharedTestPicture(QStringLiteral("flat-graphic.png"));
    if (source.isEmpty())
        GTEST_SKIP() << "no shared test pictures";
    const QString gif = folder_.filePath(QStringLiteral("flat.gif"));
    QProcess gm;
    gm.start(QStringLiteral("gm"), {QStringLiteral("convert"), source, QStringLiteral("-colors"), QStringLiteral("200"), gif});
    ASSERT_TRUE(gm.waitForFinished(120000) && gm.exitCode() == 0);
    QProcess pillow;
    pillow.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QStringLiteral("import sys; from PIL import Image; "
                                                       "sys.stdout.buffer.write(bytes(Image.open(sys.argv[1]).global_palette.palette))"),
                  gif});
    ASSERT_TRUE(pillow.waitForFinished(120000) && pillow.exitCode() == 0) << pillow.readAllStandardError().toStdString();
    const QByteArray table = pillow.readAllStandardOutput();
    ASSERT_GE(table.size(), 3 * 128);
    const Palette palette = LoadPalette(gif);
    for (int i = 0; i < table.size() / 3; ++i)
        ASSERT_EQ(palette[static_cast<std::size_t>(i)], Entry(uchar(table[3 * i]), uchar(table[3 * i + 1]), uchar(table[3 * i + 2]))) << i;
}
