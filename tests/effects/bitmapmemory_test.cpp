#include "effects/bitmapmemory.h"
#include "components/qtbridge.h"

#include "components/errors.h"
#include "effectpictures.h"

#include <QFile>

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

using namespace pictaron;
using namespace pictaron::effecttests;

namespace {

// Whether any mapping of this process covers the address.
bool IsMapped(const void* address)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> range = line.split(' ').value(0).split('-');
        if (range.size() == 2 && range[0].toULongLong(nullptr, 16) <= at && at < range[1].toULongLong(nullptr, 16))
            return true;
    }
    return false;
}

} // namespace

TEST(BitmapMemory, LargeBitmapIsAlignedAndBehavesAsAnyOther)
{
    // 3 · 1001 bytes pad to 3004; over 2 MiB in all.
    Bitmap bitmap = Bitmap(1001, 900, Bitmap::Format_BGR888);
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_EQ(bitmap.format(), Bitmap::Format_BGR888);
    EXPECT_EQ(bitmap.size(), Size(1001, 900));
    EXPECT_EQ(bitmap.bytesPerLine(), 3004);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bitmap.constBits()) % (2u << 20), 0u);

    const Bitmap noise = Noise(1001, 900, 7);
    for (int y = 0; y < 900; ++y)
        std::copy_n(noise.constScanLine(y), 3 * 1001, bitmap.scanLine(y));
    EXPECT_EQ(bitmap, noise);
    EXPECT_EQ(ImageView(bitmap).copy(10, 20, 30, 40), ImageView(noise).copy(10, 20, 30, 40));

    // A shared copy detaches on writing; the mapped bitmap keeps its pixels.
    Bitmap shared = bitmap;
    shared.scanLine(5)[0] ^= 0xFF;
    EXPECT_NE(shared.constBits(), bitmap.constBits());
    EXPECT_EQ(bitmap, noise);
    EXPECT_NE(shared, noise);
}

TEST(BitmapMemory, LastCopyGoingUnmapsTheMemory)
{
    const uchar* bits = nullptr;
    {
        Bitmap bitmap = Bitmap(2000, 1000, Bitmap::Format_RGB888);
        ASSERT_FALSE(bitmap.isNull());
        std::memset(bitmap.bits(), 0xFF, static_cast<std::size_t>(bitmap.sizeInBytes()));
        EXPECT_EQ(bitmap.format(), Bitmap::Format_RGB888);
        bits = bitmap.constBits();
        const Bitmap copy = bitmap;
        bitmap = Bitmap();
        EXPECT_TRUE(IsMapped(bits));
        EXPECT_EQ(ImageView(copy).pixelColor(1999, 999), QColor(Qt::white));
    }
    EXPECT_FALSE(IsMapped(bits));
}

TEST(BitmapMemory, SmallAndEmptyBitmaps)
{
    const Bitmap small = Bitmap(5, 3, Bitmap::Format_BGR888);
    EXPECT_EQ(small.format(), Bitmap::Format_BGR888);
    EXPECT_EQ(small.size(), Size(5, 3));
    EXPECT_EQ(small.bytesPerLine(), 16);
    EXPECT_TRUE(Bitmap(0, 10, Bitmap::Format_BGR888).isNull());
    EXPECT_TRUE(Bitmap(10, -1, Bitmap::Format_BGR888).isNull());
}

namespace {

// The most address space this process has ever had, in KiB.
qint64 PeakAddressSpace()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

TEST(BitmapMemory, TheLimitIsAGibibyteOfPixels)
{
    EXPECT_EQ(kMaxBitmapBytes, qint64(1) << 30);
    // 3 bytes a pixel: 357913941 pixels fit, one more does not.
    EXPECT_TRUE(FitsBitmapMemory(357913941, 1, 3));
    EXPECT_FALSE(FitsBitmapMemory(357913942, 1, 3));
    EXPECT_TRUE(FitsBitmapMemory(16384, 21845, 3));
    EXPECT_FALSE(FitsBitmapMemory(20000, 18000, 3));
    EXPECT_TRUE(FitsBitmapMemory(32768, 32768, 1));
    EXPECT_FALSE(FitsBitmapMemory(32768, 32769, 1));
    EXPECT_FALSE(FitsBitmapMemory(60000, 60000, 4));
    EXPECT_FALSE(FitsBitmapMemory(0, 10, 3));
    EXPECT_FALSE(FitsBitmapMemory(10, -1, 3));
}

TEST(BitmapMemory, ABitmapBeyondTheLimitIsRefusedBeforeItIsMapped)
{
    const qint64 before = PeakAddressSpace();
    ASSERT_GT(before, 0);
    // 10.8 GB, which the system might promise and then not keep.
    EXPECT_TRUE(Bitmap(60000, 60000, Bitmap::Format_BGR888).isNull());
    try {
        NewWorkingBitmap(60000, 60000);
        ADD_FAILURE() << "no error";
    } catch (const NotEnoughMemory& error) {
        EXPECT_EQ(ToQString(error.message()), QStringLiteral("There is not enough memory for a picture of 60000 by 60000 pixels."));
    }
    EXPECT_LT(PeakAddressSpace() - before, qint64(1) << 20);  // not even a gibibyte was asked for
}
