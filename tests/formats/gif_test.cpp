// The GIF writer: the worked example byte for byte, the table and code-size
// rules, transparency, and every written file read back by a strict reader of
// our own and by Pillow.
#include "formats/gifimage.h"

#include "components/errors.h"
#include "components/qtbridge.h"
#include "formats/giflzw.h"
#include "gifchecker.h"

#include <gtest/gtest.h>

#include <random>

using namespace pictaron;
using namespace pictaron::gifcheck;

namespace {

// An 8-bit picture with the given palette, filled by fill(x, y).
template <typename Fill>
Bitmap Indexed(int width, int height, const std::vector<Argb>& palette, Fill fill)
{
    Bitmap picture(width, height, Bitmap::Format_Indexed8);
    picture.setColorTable(std::vector<Argb>(palette.begin(), palette.end()));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.scanLine(y)[x] = static_cast<uchar>(fill(x, y));
    return picture;
}

std::vector<Argb> Greys(int count)
{
    std::vector<Argb> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back(PackRgb(i, 255 - i, (i * 7) & 0xFF));
    return palette;
}

QByteArray Write(const Bitmap& picture, std::optional<TColor> transparent = std::nullopt)
{
    TGIFImage image;
    image.Assign(picture);
    if (transparent) {
        TGIFGraphicControlExtension& control = image.images.front()->AddGraphicControlExtension();
        control.SetTransparent(true);
        control.SetTransparentColor(*transparent);
    }
    image.Pack();
    return ToQByteArray(image.SaveToBytes());
}

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

std::vector<int> IndicesOf(const Bitmap& picture)
{
    std::vector<int> indices;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            indices.push_back(picture.constScanLine(y)[x]);
    return indices;
}

// The file passes the strict reader and Pillow, and both give back the
// picture's indices, its palette (padded with black) and the transparency.
void ExpectReadsBack(const QByteArray& gif, const Bitmap& picture, const std::vector<Argb>& palette,
                     int transparentIndex = -1)
{
    std::vector<Colour> table;
    for (const Argb colour : palette)
        table.push_back(Colour{RedOf(colour), GreenOf(colour), BlueOf(colour)});

    const StrictGif strict = ReadStrictGif(gif);
    ASSERT_TRUE(strict.problem.isEmpty()) << strict.problem.toStdString();
    EXPECT_EQ(strict.width, picture.width());
    EXPECT_EQ(strict.height, picture.height());
    EXPECT_EQ(strict.indices, IndicesOf(picture));
    ASSERT_GE(strict.table.size(), table.size());
    EXPECT_TRUE(std::equal(table.begin(), table.end(), strict.table.begin()));
    EXPECT_TRUE(std::all_of(strict.table.begin() + static_cast<std::ptrdiff_t>(table.size()), strict.table.end(),
                            [](const Colour& c) { return c == Colour{0, 0, 0}; }));
    EXPECT_EQ(strict.transparentIndex, transparentIndex);

    bool skipped = false;
    const PillowGif pillow = ReadWithPillow(gif, skipped);
    if (skipped)
        return;
    ASSERT_TRUE(pillow.problem.isEmpty()) << pillow.problem.toStdString();
    EXPECT_EQ(pillow.width, picture.width());
    EXPECT_EQ(pillow.height, picture.height());
    EXPECT_EQ(pillow.indices, IndicesOf(picture));
    ASSERT_GE(pillow.table.size(), table.size());
    EXPECT_TRUE(std::equal(table.begin(), table.end(), pillow.table.begin()));
    EXPECT_EQ(pillow.transparentIndex, transparentIndex);
}

const std::vector<Argb> kBlackWhite = {PackRgb(0, 0, 0), PackRgb(255, 255, 255)};

Bitmap WorkedExample()
{
    return Indexed(4, 2, kBlackWhite, [](int, int y) { return y; });
}

} // namespace

TEST(GifWriter, WorkedExampleByteForByte)
{
    EXPECT_EQ(Write(WorkedExample()).toHex(' '),
              Hex("474946383761 04000200800000 000000FFFFFF 2C0000000004000200 00 02 0484111905 00 3B").toHex(' '));
}

TEST(GifWriter, WorkedExampleWithWhiteTransparent)
{
    EXPECT_EQ(Write(WorkedExample(), clWhite).toHex(' '),
              Hex("474946383961 04000200800000 000000FFFFFF 21F90401000001 00 2C0000000004000200 00 02 0484111905 00 3B")
                  .toHex(' '));
}

TEST(GifWriter, TableSizeAndCodeSizeFollowTheColourCount)
{
    struct Case {
        int colours;
        int packed;
        int tableEntries;
        int minimumCodeSize;
    };
    for (const Case c : {Case{1, 0x80, 2, 2}, Case{2, 0x80, 2, 2}, Case{3, 0x91, 4, 2}, Case{5, 0xA2, 8, 3},
                         Case{17, 0xC4, 32, 5}, Case{129, 0xF7, 256, 8}, Case{256, 0xF7, 256, 8}}) {
        const std::vector<Argb> palette = Greys(c.colours);
        const Bitmap picture = Indexed(13, 6, palette, [&](int x, int y) { return (x * 3 + y * 5) % c.colours; });
        const QByteArray gif = Write(picture);
        EXPECT_EQ(static_cast<unsigned char>(gif[10]), c.packed) << c.colours;
        EXPECT_EQ(static_cast<unsigned char>(gif[13 + 3 * c.tableEntries + 10]), c.minimumCodeSize) << c.colours;
        ExpectReadsBack(gif, picture, palette);
    }
}

TEST(GifWriter, TransparentColourTakesTheHighestMatchingIndex)
{
    const std::vector<Argb> palette = {PackRgb(9, 9, 9), PackRgb(1, 2, 3), PackRgb(9, 9, 9), PackRgb(200, 0, 0)};
    const Bitmap picture = Indexed(6, 4, palette, [](int x, int y) { return (x + y) % 4; });
    // TColor is 0x00BBGGRR.
    const QByteArray gif = Write(picture, TColor(0x090909));
    ExpectReadsBack(gif, picture, palette, 2);
}

TEST(GifWriter, MissingTransparentColourIsAppended)
{
    const std::vector<Argb> palette = Greys(128);
    const Bitmap picture = Indexed(20, 20, palette, [](int x, int y) { return (x * y) % 128; });
    const QByteArray gif = Write(picture, TColor(0x030201));
    // 129 colours need eight bits: the table is padded to 256 entries.
    EXPECT_EQ(static_cast<unsigned char>(gif[10]), 0xF7);
    std::vector<Argb> extended = palette;
    extended.push_back(PackRgb(1, 2, 3));
    ExpectReadsBack(gif, picture, extended, 128);
}

TEST(GifWriter, FullTableCannotTakeAnotherColour)
{
    const Bitmap picture = Indexed(4, 4, Greys(256), [](int x, int y) { return x * 4 + y; });
    try {
        Write(picture, TColor(0x123456));
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), QStringLiteral("Color table overflow"));
    }
    // A colour that is already there is found, not appended.
    const Argb present = Greys(256)[77];
    EXPECT_NO_THROW(Write(picture, TColor(RedOf(present) | GreenOf(present) << 8 | BlueOf(present) << 16)));
}

TEST(GifWriter, IndexBeyondTheTableIsRefused)
{
    // Three colours make a table of four: index 3 is still written, index 4 is not.
    const std::vector<Argb> palette = Greys(3);
    ExpectReadsBack(Write(Indexed(3, 1, palette, [](int x, int) { return x + 1; })),
                    Indexed(3, 1, palette, [](int x, int) { return x + 1; }), palette);
    try {
        Write(Indexed(3, 1, palette, [](int x, int) { return x + 2; }));
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_EQ(ToQString(error.message()), QStringLiteral("Color not in color table"));
    }
}

TEST(GifWriter, OnlyIndexedPicturesOfGifSizeAreWritten)
{
    TGIFImage image;
    EXPECT_THROW(image.Assign(Bitmap(4, 4, Bitmap::Format_BGR888)), PictaronError);
    EXPECT_THROW(image.Assign(Bitmap(4, 4, Bitmap::Format_Indexed8)), PictaronError);  // no colour table
    Bitmap wide(70000, 1, Bitmap::Format_Indexed8);
    wide.setColorTable({PackRgb(0, 0, 0)});
    EXPECT_THROW(image.Assign(wide), PictaronError);
}

TEST(GifWriter, LongRunsFillTheTableAndClearIt)
{
    // One colour: each string is one pixel longer than the last, so the
    // table fills after some 7 to 8 million pixels and a clear code follows.
    for (const int colours : {2, 256}) {
        const std::vector<Argb> palette = Greys(colours);
        const Bitmap picture = Indexed(3000, 3000, palette, [](int, int) { return 1; });
        const StrictGif strict = ReadStrictGif(Write(picture));
        ASSERT_TRUE(strict.problem.isEmpty()) << strict.problem.toStdString();
        EXPECT_EQ(strict.clearCodes, 2) << colours;
        EXPECT_EQ(strict.widestCode, 12);
        EXPECT_EQ(strict.indices, IndicesOf(picture));
    }
    // Noise fills the table every few thousand pixels.
    std::mt19937 random(4);
    const std::vector<Argb> palette = Greys(256);
    const Bitmap noise = Indexed(300, 200, palette, [&](int, int) { return random() % 256; });
    const QByteArray gif = Write(noise);
    const StrictGif strict = ReadStrictGif(gif);
    EXPECT_GT(strict.clearCodes, 10);
    ExpectReadsBack(gif, noise, palette);
}

TEST(GifWriter, DataOfWholeSubBlocksEndsWithTheTerminator)
{
    // Widen noise until the compressed data is a whole number of 255-byte
    // sub-blocks; the strict reader then insists the terminator follows the
    // last full block directly.
    const std::vector<Argb> palette = Greys(256);
    bool found = false;
    for (int width = 1; width < 2000 && !found; ++width) {
        std::mt19937 random(static_cast<unsigned>(width));
        const Bitmap picture = Indexed(width, 3, palette, [&](int, int) { return random() % 256; });
        std::string data;
        TLZWEncoder encoder;
        std::vector<std::uint8_t> pixels = [&] {
            std::vector<std::uint8_t> p;
            for (const int index : IndicesOf(picture))
                p.push_back(static_cast<std::uint8_t>(index));
            return p;
        }();
        encoder.Encode(pixels.data(), pixels.size(), 8, data);
        const int codeBytes = static_cast<int>(data.size()) - 2;  // minimum code size and terminator
        const int blocks = (codeBytes + 255) / 256;
        if ((codeBytes - blocks) % 255 != 0)
            continue;
        found = true;
        EXPECT_EQ(static_cast<unsigned char>(data[data.size() - 2 - 255]), 255);
        const StrictGif strict = ReadStrictGif(Write(picture));
        ASSERT_TRUE(strict.problem.isEmpty()) << strict.problem.toStdString();
        EXPECT_EQ(strict.subBlocks, blocks);
        ExpectReadsBack(Write(picture), picture, palette);
    }
    EXPECT_TRUE(found);
}

TEST(GifWriter, RandomPicturesReadBack)
{
    std::mt19937 random(21);
    for (int round = 0; round < 12; ++round) {
        const int colours = 1 + static_cast<int>(random() % 256);
        const int width = 1 + static_cast<int>(random() % 90);
        const int height = 1 + static_cast<int>(random() % 60);
        std::vector<Argb> palette;
        for (int i = 0; i < colours; ++i)
            palette.push_back(random() & 0xFFFFFF);
        // Runs and noise mixed, so that strings of every length occur.
        int current = 0;
        const Bitmap picture = Indexed(width, height, palette, [&](int, int) {
            if (random() % 4 == 0)
                current = static_cast<int>(random() % static_cast<unsigned>(colours));
            return current;
        });
        const bool transparent = round % 3 == 0;
        const Argb colour = palette[random() % palette.size()];
        const QByteArray gif =
            transparent ? Write(picture, TColor(RedOf(colour) | GreenOf(colour) << 8 | BlueOf(colour) << 16)) : Write(picture);
        int transparentIndex = -1;
        for (int i = colours - 1; transparent && i >= 0; --i)
            if ((palette[static_cast<std::size_t>(i)] & 0xFFFFFF) == (colour & 0xFFFFFF)) {
                transparentIndex = i;
                break;
            }
        SCOPED_TRACE(::testing::Message() << colours << " colours, " << width << " by " << height);
        ExpectReadsBack(gif, picture, palette, transparentIndex);
    }
}

TEST(StrictGifReader, CatchesBrokenStreams)
{
    // The reader is only a useful witness if it fails on what lenient
    // decoders let pass. Each case breaks the worked example in one place.
    const QByteArray good = Write(WorkedExample());
    ASSERT_TRUE(ReadStrictGif(good).problem.isEmpty());
    const QByteArray dataAt = Hex("0484111905");
    ASSERT_EQ(good.indexOf(dataAt), 30);
    const auto broken = [&](const char* replacement) {
        QByteArray bytes = good;
        return bytes.replace(30, dataAt.size() + 2, Hex(replacement));  // data, terminator, trailer
    };
    const char* const cases[] = {
        "0484111905 00",        // no trailer
        "0484111905 00 00 3B",  // an empty sub-block before the terminator
        "0484111915 00 3B",     // padding after the end code not zero
        "02 8411 02 1905 00 3B",  // a short sub-block that is not the last
        "0485111905 00 3B",     // the first code is the end code, not a clear code
        "03 841119 00 3B",      // the stream stops before the end code
        "0484111905 05 00 3B",  // a byte after the end code
    };
    for (const char* replacement : cases)
        EXPECT_FALSE(ReadStrictGif(broken(replacement)).problem.isEmpty()) << replacement;
}
