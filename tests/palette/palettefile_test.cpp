// Reading JASC and RIFF ".pal", ".act" and the colour table of ".gif" files.
#include "palette/palettefile.h"

#include "components/errors.h"
#include "testbitmaps.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace pictaron;
using namespace pictaron::testbitmaps;

namespace {

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
            LoadPaletteFile(path);
        } catch (const PictaronError& error) {
            return error.message();
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
    EXPECT_EQ(LoadPaletteFile(path), (Palette{Entry(255, 0, 0), Entry(0, 0, 255)}));
}

TEST_F(PaletteFileTest, JascPaletteWithLfLinesAndTrailingBlankLines)
{
    const QString lf = Write(QStringLiteral("lf.pal"), "JASC-PAL\n0100\n2\n255 0 0\n0 0 255\n\n\n");
    EXPECT_EQ(LoadPaletteFile(lf), (Palette{Entry(255, 0, 0), Entry(0, 0, 255)}));
    const QString crlf = Write(QStringLiteral("blank.pal"), "JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n\r\n\r\n");
    EXPECT_EQ(LoadPaletteFile(crlf), (Palette{Entry(1, 2, 3)}));
}

TEST_F(PaletteFileTest, JascFieldsSplitAtEverySpaceAndKeepTheLowByte)
{
    // Two spaces make an empty second field, so the fields are 0, "", 255, 0.
    // 300 keeps its low eight bits, 44.
    const QString path = Write(QStringLiteral("odd.pal"), "JASC-PAL\r\n0100\r\n2\r\n0  255 0\r\n300 x 7\r\n");
    EXPECT_EQ(LoadPaletteFile(path), (Palette{Entry(0, 0, 255), Entry(44, 0, 7)}));
}

TEST_F(PaletteFileTest, JascCountAbove256ReadsTheFirst256Lines)
{
    QByteArray text("JASC-PAL\r\n0100\r\n300\r\n");
    for (int i = 0; i < 300; ++i)
        text += QByteArray::number(i % 256) + ' ' + QByteArray::number(i / 256) + " 9\r\n";
    const Palette palette = LoadPaletteFile(Write(QStringLiteral("many.pal"), text));
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
    const Palette palette = LoadPaletteFile(Write(QStringLiteral("riff.PAL"), Riff(16, entries)));
    ASSERT_EQ(palette.size(), 16u);
    EXPECT_EQ(palette[0], Entry(0, 0, 0));
    EXPECT_EQ(palette[5], Entry(5, 10, 15, 4));
    EXPECT_EQ(palette[15], Entry(15, 30, 45));
}

TEST_F(PaletteFileTest, RiffEntriesTheFileLacksStayBlack)
{
    // Count 4, but only one whole entry and half of another.
    const Palette palette = LoadPaletteFile(Write(QStringLiteral("cut.pal"), Riff(4, QByteArray("\x10\x20\x30\x00\x40\x50", 6))));
    EXPECT_EQ(palette, (Palette{Entry(16, 32, 48), Entry(0, 0, 0), Entry(0, 0, 0), Entry(0, 0, 0)}));
    // Counts above 256 are 256.
    EXPECT_EQ(LoadPaletteFile(Write(QStringLiteral("big.pal"), Riff(1000, QByteArray()))).size(), 256u);
    // A header cut before the count is an error, not a guess.
    const QString header = Write(QStringLiteral("head.pal"), Riff(4, QByteArray()).left(21));
    EXPECT_TRUE(ErrorOf(header).contains(QStringLiteral("cut short")));
}

TEST_F(PaletteFileTest, UnrecognisedFilesGive256Blacks)
{
    const Palette black(256);
    EXPECT_EQ(LoadPaletteFile(Write(QStringLiteral("text.pal"), "hello, this is no palette")), black);
    EXPECT_EQ(LoadPaletteFile(Write(QStringLiteral("wave.pal"), "RIFF\x04\0\0\0WAVEdata")), black);
    EXPECT_EQ(LoadPaletteFile(Write(QStringLiteral("colours.txt"), "JASC-PAL\r\n0100\r\n1\r\n1 2 3\r\n")), black);
    EXPECT_EQ(LoadPaletteFile(Write(QStringLiteral("not.gif"), "PNG and more")), black);
}

TEST_F(PaletteFileTest, ActFileOf768Bytes)
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(char(i)).append(char(255 - i)).append(char(i / 2));
    const Palette palette = LoadPaletteFile(Write(QStringLiteral("table.act"), bytes + "tail"));
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], Entry(0, 255, 0));
    EXPECT_EQ(palette[255], Entry(255, 0, 127));
}

TEST_F(PaletteFileTest, ShortActFileRepeatsThePreviousEntry)
{
    // Five bytes: entry 0 whole, entry 1 missing its blue, which repeats
    // entry 0's blue; every later entry repeats entry 1.
    const Palette palette = LoadPaletteFile(Write(QStringLiteral("short.act"), QByteArray("\x01\x02\x03\x04\x05", 5)));
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
    const Palette palette = LoadPaletteFile(Write(QStringLiteral("sixteen.gif"), bytes));
    ASSERT_EQ(palette.size(), 256u);
    EXPECT_EQ(palette[0], Entry(100, 0, 200));
    EXPECT_EQ(palette[15], Entry(115, 15, 200));
    EXPECT_EQ(palette[16], Entry(0, 0, 0));

    // Without a global table: all black.
    QByteArray noTable("GIF87a\x01\x00\x01\x00\x00\x00\x00", 13);
    EXPECT_EQ(LoadPaletteFile(Write(QStringLiteral("none.gif"), noTable)), Palette(256));
}

TEST_F(PaletteFileTest, MissingFileNamesIt)
{
    const QString path = folder_.filePath(QStringLiteral("absent.act"));
    EXPECT_TRUE(ErrorOf(path).contains(QStringLiteral("absent.act")));
}
