// The picker's palette: reading files, the luminance order and the nearest
// cell, on the web-safe palette file and small files written here.
#include "colour/pickerpalette.h"
#include "components/qtbridge.h"
#include "colour/websafefile.h"
#include "components/errors.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <climits>
#include <set>
#include <utility>

namespace pictaron {
namespace {

TColor Colour(int r, int g, int b) { return TColor(r) | TColor(g) << 8 | TColor(b) << 16; }
TColor Cell(const PickerPalette& p, int column, int row) { return p.ColourAt(column + 16 * row); }

class PickerPaletteFiles : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    PickerPalette WebSafe() { return LoadPickerPalette(Write(QStringLiteral("websafe.pal"), WebSafePaletteFileBytes())); }

    QTemporaryDir dir_;
};

TEST_F(PickerPaletteFiles, WebSafeFileHasItsRiffLayout)
{
    const QByteArray bytes = WebSafePaletteFileBytes();
    ASSERT_EQ(bytes.size(), 1052);
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(bytes.mid(4, 4), QByteArray("\x14\x04\0\0", 4)); // 1044
    EXPECT_EQ(bytes.mid(8, 8), "PAL data");
    EXPECT_EQ(bytes.mid(16, 4), QByteArray("\x08\x04\0\0", 4)); // 1032
    EXPECT_EQ(bytes.mid(20, 4), QByteArray("\0\x03\0\x01", 4)); // version 0x0300, 256 entries
}

TEST_F(PickerPaletteFiles, WebSafeRunsDownFromWhiteThenBlackPadding)
{
    const PickerPalette p = WebSafe();
    EXPECT_EQ(p.count, 256);
    EXPECT_EQ(Cell(p, 0, 0), Colour(255, 255, 255));
    EXPECT_EQ(Cell(p, 1, 0), Colour(255, 255, 204));
    EXPECT_EQ(Cell(p, 5, 0), Colour(255, 255, 0));
    EXPECT_EQ(Cell(p, 6, 0), Colour(255, 204, 255));
    EXPECT_EQ(Cell(p, 7, 13), Colour(0, 0, 0)); // entry 215
    for (int i = 216; i < 256; ++i)
        EXPECT_EQ(p.ColourAt(i), Colour(0, 0, 0)) << i;
}

TEST(LuminanceKey, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(LuminanceKey(PaletteEntry{255, 0, 0, 0}), 128); // 127.5
    EXPECT_EQ(LuminanceKey(PaletteEntry{1, 0, 0, 0}), 0);     // 0.5
    EXPECT_EQ(LuminanceKey(PaletteEntry{3, 0, 0, 0}), 2);     // 1.5
    EXPECT_EQ(LuminanceKey(PaletteEntry{10, 200, 30, 0}), 105);
}

TEST_F(PickerPaletteFiles, LuminanceOrderPutsTheBlacksFirstAndWhiteLast)
{
    PickerPalette p = WebSafe();
    const PickerPalette before = p;
    SortByLuminance(p);
    for (int i = 0; i < 41; ++i)
        EXPECT_EQ(p.ColourAt(i), Colour(0, 0, 0)) << i;
    EXPECT_NE(p.ColourAt(41), Colour(0, 0, 0));
    EXPECT_EQ(p.ColourAt(255), Colour(255, 255, 255));
    for (int i = 1; i < 256; ++i)
        EXPECT_LE(LuminanceKey(p.entries[i - 1]), LuminanceKey(p.entries[i])) << i;
    // A reordering: the same colours, each as often.
    std::multiset<TColor> a, b;
    for (int i = 0; i < 256; ++i) {
        a.insert(before.ColourAt(i));
        b.insert(p.ColourAt(i));
    }
    EXPECT_EQ(a, b);
}

TEST_F(PickerPaletteFiles, LuminanceOrderSortsOnlyTheColoursOfTheFile)
{
    QByteArray jasc = "JASC-PAL\r\n0100\r\n16\r\n";
    for (int i = 0; i < 16; ++i)
        jasc += QByteArray::number(255 - 10 * i) + " 0 7\r\n"; // keys 128, 122, ... 52: all different
    PickerPalette p = LoadPickerPalette(Write(QStringLiteral("sixteen.pal"), jasc));
    ASSERT_EQ(p.count, 16);
    SortByLuminance(p);
    for (int i = 1; i < 16; ++i)
        EXPECT_LE(LuminanceKey(p.entries[i - 1]), LuminanceKey(p.entries[i]));
    EXPECT_EQ(p.ColourAt(0), Colour(105, 0, 7));
    EXPECT_EQ(p.ColourAt(15), Colour(255, 0, 7));
    for (int i = 16; i < 256; ++i)
        EXPECT_EQ(p.ColourAt(i), Colour(0, 0, 0)) << i;
}

TEST(PickerColourDistance, WeighsGreenMostAndRejectsEarly)
{
    EXPECT_EQ(PickerColourDistance(Colour(10, 10, 10), Colour(0, 0, 0), INT_MAX), 1400);
    EXPECT_EQ(PickerColourDistance(Colour(1, 2, 3), Colour(4, 6, 8), INT_MAX), 10 * 16 + 3 * 9 + 25);
    // The green term alone (1000) reaches the best so far.
    EXPECT_EQ(PickerColourDistance(Colour(10, 10, 10), Colour(0, 0, 0), 1000), INT_MAX);
    EXPECT_EQ(PickerColourDistance(Colour(10, 10, 10), Colour(0, 0, 0), 1001), 1400);
}

TEST_F(PickerPaletteFiles, NearestCellIsTheFirstInColumnOrder)
{
    const PickerPalette p = WebSafe();
    // Entry 224, the first black going down column 0, not the cube's own
    // black at (7, 13).
    EXPECT_EQ(FindNearestColour(p, Colour(0, 0, 0)), QPoint(0, 14));
    EXPECT_EQ(FindNearestColour(p, Colour(10, 10, 10)), QPoint(0, 14));
    EXPECT_EQ(FindNearestColour(p, Colour(250, 250, 250)), QPoint(0, 0));
    EXPECT_EQ(FindNearestColour(p, Colour(255, 255, 0)), QPoint(5, 0));
}

TEST_F(PickerPaletteFiles, JascWithLineFeedsOnlyIsAccepted)
{
    const PickerPalette p = LoadPickerPalette(
        Write(QStringLiteral("lf.pal"), "JASC-PAL\n0100\n3\n255 0 0\n0 255 0\n0 0 255\n"));
    EXPECT_EQ(p.count, 3);
    EXPECT_EQ(p.ColourAt(0), Colour(255, 0, 0));
    EXPECT_EQ(p.ColourAt(2), Colour(0, 0, 255));
    EXPECT_EQ(p.ColourAt(3), Colour(0, 0, 0));
}

TEST_F(PickerPaletteFiles, JascShortOfLinesIsAMessageNamingTheFile)
{
    const QString path = Write(QStringLiteral("short.pal"), "JASC-PAL\r\n0100\r\n4\r\n1 2 3\r\n4 5 6\r\n");
    try {
        LoadPickerPalette(path);
        FAIL() << "a short palette was accepted";
    } catch (const PictaronError& error) {
        EXPECT_TRUE(ToQString(error.message()).contains(QStringLiteral("short.pal"))) << error.what();
    }
}

TEST_F(PickerPaletteFiles, GifWithoutGlobalTableIsRefusedWithTheGifMessage)
{
    const QString expected = QStringLiteral("An error occurred while reading this file.  It is either not a valid "
                                            "GIF file or it has no Global Palette.");
    for (const QByteArray& bytes : {QByteArray("GIF89a\x01\0\x01\0\x00\0\0;", 14), QByteArray("PNG-ish file")}) {
        try {
            LoadPickerPalette(Write(QStringLiteral("x.gif"), bytes));
            FAIL() << "accepted";
        } catch (const PictaronError& error) {
            EXPECT_EQ(ToQString(error.message()), expected);
        }
    }
}

TEST_F(PickerPaletteFiles, GifGlobalTableIsReadWithACountOf256)
{
    QByteArray gif("GIF89a\x01\0\x01\0\x81\0\0", 13); // 4 colours
    gif += QByteArray("\xff\0\0\0\xff\0\0\0\xff\x10\x20\x30", 12);
    const PickerPalette p = LoadPickerPalette(Write(QStringLiteral("four.GIF"), gif));
    EXPECT_EQ(p.count, 256);
    EXPECT_EQ(p.ColourAt(0), Colour(255, 0, 0));
    EXPECT_EQ(p.ColourAt(3), Colour(16, 32, 48));
    EXPECT_EQ(p.ColourAt(4), Colour(0, 0, 0));
}

TEST_F(PickerPaletteFiles, ActAndUnknownFiles)
{
    QByteArray act(768, '\0');
    act[3] = char(9), act[4] = char(8), act[5] = char(7);
    const PickerPalette fromAct = LoadPickerPalette(Write(QStringLiteral("p.act"), act));
    EXPECT_EQ(fromAct.ColourAt(1), Colour(9, 8, 7));

    // A file that is no palette is refused by name, not shown as 256 blacks.
    for (const auto& [name, bytes] : {std::pair(QStringLiteral("notes.txt"), QByteArray("255 255 255")),
                                      std::pair(QStringLiteral("odd.pal"), QByteArray(40, '\x7f'))}) {
        const QString path = Write(name, bytes);
        try {
            LoadPickerPalette(path);
            ADD_FAILURE() << name.toStdString() << " was read as a palette";
        } catch (const PictaronError& error) {
            EXPECT_TRUE(ToQString(error.message()).contains(path)) << error.message();
        }
    }
}

} // namespace
} // namespace pictaron
