#include "effects/bitmap.h"

#include "components/errors.h"
#include "effectpictures.h"
#include "effects/pixels.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

const Bitmap::Format kFormats[] = {Bitmap::Format_BGR888, Bitmap::Format_RGB888, Bitmap::Format_RGBA8888,
                                   Bitmap::Format_Grayscale8, Bitmap::Format_Indexed8};

// Bytes 0, 1, 2 … over every row, so that any two rows and pixels differ.
Bitmap Counting(int width, int height, Bitmap::Format format)
{
    Bitmap bitmap(width, height, format);
    int value = 0;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.scanLine(y);
        for (std::ptrdiff_t i = 0; i < width * Bitmap::BytesPerPixel(format); ++i)
            row[i] = static_cast<std::uint8_t>(value++ * 37);
    }
    if (format == Bitmap::Format_Indexed8) {
        std::vector<Argb> table;
        for (int i = 0; i < 256; ++i)
            table.push_back(PackRgb(i, 255 - i, (i * 7) & 0xFF));
        bitmap.setColorTable(table);
    }
    return bitmap;
}

} // namespace

TEST(Bitmap, RowsArePaddedAsTheToolkitPadsThem)
{
    for (const Bitmap::Format format : kFormats)
        for (const int width : {1, 2, 3, 5, 7, 64, 1001}) {
            const Bitmap bitmap(width, 3, format);
            const QImage view = ImageView(bitmap);
            ASSERT_FALSE(view.isNull());
            // The toolkit's own picture of that size and format, made by it.
            EXPECT_EQ(bitmap.bytesPerLine(), QImage(width, 3, view.format()).bytesPerLine()) << width;
            EXPECT_EQ(bitmap.depth(), view.depth());
        }
}

TEST(Bitmap, CopiesShareUntilOneWrites)
{
    Bitmap original = Counting(9, 4, Bitmap::Format_BGR888);
    const Bitmap before = original.copy();
    Bitmap shared = original;
    EXPECT_EQ(shared.constBits(), original.constBits());
    shared.scanLine(2)[4] ^= 0xFF;
    EXPECT_NE(shared.constBits(), original.constBits());
    EXPECT_EQ(original, before);
    EXPECT_NE(shared, before);
    // The only holder writes in place.
    const std::uint8_t* rows = original.constBits();
    original.scanLine(0)[0] ^= 0xFF;
    EXPECT_EQ(original.constBits(), rows);
}

TEST(Bitmap, ReadOnlyRowsAreCopiedByTheFirstWriteAndReleasedOnce)
{
    std::vector<std::uint8_t> outside(6 * 2, 7);
    int releases = 0;
    {
        Bitmap wrapped = Bitmap::WrapReadOnly(outside.data(), 2, 2, 6, Bitmap::Format_RGB888, [&] { ++releases; });
        const Bitmap reader = wrapped;
        EXPECT_EQ(reader.constScanLine(1), outside.data() + 6);
        wrapped.scanLine(0)[0] = 1;
        EXPECT_EQ(wrapped.constScanLine(0)[0], 1);
        EXPECT_EQ(outside[0], 7);  // the outside rows never change
        EXPECT_EQ(reader.constScanLine(0)[0], 7);
        EXPECT_EQ(releases, 0);  // the reader still holds them
    }
    EXPECT_EQ(releases, 1);
}

TEST(Bitmap, EqualityComparesPixelsNotPadding)
{
    const Bitmap a = Counting(3, 2, Bitmap::Format_BGR888);
    // The same pixels with rows 16 bytes apart and other bytes in the gaps.
    std::vector<std::uint8_t> rows(32, 0xEE);
    for (int y = 0; y < 2; ++y)
        std::memcpy(rows.data() + 16 * y, a.constScanLine(y), 9);
    const Bitmap b = Bitmap::WrapReadOnly(rows.data(), 3, 2, 16, Bitmap::Format_BGR888, {});
    EXPECT_EQ(a, b);
    EXPECT_NE(a, Counting(3, 2, Bitmap::Format_RGB888));  // the format counts
    Bitmap indexed = Counting(3, 2, Bitmap::Format_Indexed8);
    Bitmap otherTable = indexed.copy();
    otherTable.setColorTable({PackRgb(1, 2, 3)});
    EXPECT_NE(indexed, otherTable);  // so does the colour table
}

TEST(Bitmap, EveryFormatBecomesTheWorkingBitmapTheToolkitMakes)
{
    for (const Bitmap::Format format : kFormats) {
        const Bitmap picture = Counting(13, 5, format);
        const Bitmap working = ToWorkingBitmap(picture);
        ASSERT_EQ(working.format(), Bitmap::Format_BGR888);
        // RGBA loses its alpha without blending, as an opaque conversion does.
        EXPECT_EQ(working, ImageView(picture).convertToFormat(QImage::Format_BGR888)) << format;
    }
    const Bitmap working = Counting(4, 4, Bitmap::Format_BGR888);
    EXPECT_EQ(ToWorkingBitmap(working).constBits(), working.constBits());  // shared, not copied
}

TEST(Bitmap, TheToolkitsPicturesAreSharedBothWays)
{
    const Bitmap bitmap = Counting(10, 6, Bitmap::Format_BGR888);
    const QImage view = ImageView(bitmap);
    EXPECT_EQ(view.constBits(), bitmap.constBits());
    const Bitmap back = ToBitmap(view);
    EXPECT_EQ(back.constBits(), bitmap.constBits());
    EXPECT_EQ(back, bitmap);
    // A format the engine lacks arrives as a working bitmap.
    QImage argb(5, 4, QImage::Format_ARGB32);
    argb.fill(QColor(10, 20, 30));
    const Bitmap converted = ToBitmap(argb);
    EXPECT_EQ(converted.format(), Bitmap::Format_BGR888);
    EXPECT_EQ(RowPixels(converted, 3)[4], (RGBTriple{30, 20, 10}));
}

TEST(Bitmap, SizesThatCannotBeAreNull)
{
    EXPECT_TRUE(Bitmap(0, 5, Bitmap::Format_BGR888).isNull());
    EXPECT_TRUE(Bitmap(5, -1, Bitmap::Format_BGR888).isNull());
    EXPECT_TRUE(Bitmap(5, 5, Bitmap::Format_Invalid).isNull());
    // Beyond a gibibyte, refused before any memory is asked for.
    EXPECT_TRUE(Bitmap(40000, 30000, Bitmap::Format_Grayscale8).isNull());
    EXPECT_THROW(NewWorkingBitmap(40000, 30000), NotEnoughMemory);
}
