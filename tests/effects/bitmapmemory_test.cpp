#include "effects/bitmapmemory.h"

#include "components/errors.h"
#include "effectpictures.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdint>

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
    QImage bitmap = AllocateBitmap(1001, 900, QImage::Format_BGR888);
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_EQ(bitmap.format(), QImage::Format_BGR888);
    EXPECT_EQ(bitmap.size(), QSize(1001, 900));
    EXPECT_EQ(bitmap.bytesPerLine(), 3004);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bitmap.constBits()) % (2u << 20), 0u);

    const QImage noise = Noise(1001, 900, 7);
    for (int y = 0; y < 900; ++y)
        std::copy_n(noise.constScanLine(y), 3 * 1001, bitmap.scanLine(y));
    EXPECT_EQ(bitmap, noise);
    EXPECT_EQ(bitmap.copy(10, 20, 30, 40), noise.copy(10, 20, 30, 40));

    // A shared copy detaches on writing; the mapped bitmap keeps its pixels.
    QImage shared = bitmap;
    shared.scanLine(5)[0] ^= 0xFF;
    EXPECT_NE(shared.constBits(), bitmap.constBits());
    EXPECT_EQ(bitmap, noise);
    EXPECT_NE(shared, noise);
}

TEST(BitmapMemory, LastCopyGoingUnmapsTheMemory)
{
    const uchar* bits = nullptr;
    {
        QImage bitmap = AllocateBitmap(2000, 1000, QImage::Format_RGB888);
        ASSERT_FALSE(bitmap.isNull());
        bitmap.fill(Qt::white);
        EXPECT_EQ(bitmap.format(), QImage::Format_RGB888);
        bits = bitmap.constBits();
        const QImage copy = bitmap;
        bitmap = QImage();
        EXPECT_TRUE(IsMapped(bits));
        EXPECT_EQ(copy.pixelColor(1999, 999), QColor(Qt::white));
    }
    EXPECT_FALSE(IsMapped(bits));
}

TEST(BitmapMemory, SmallAndEmptyBitmaps)
{
    const QImage small = AllocateBitmap(5, 3, QImage::Format_BGR888);
    EXPECT_EQ(small.format(), QImage::Format_BGR888);
    EXPECT_EQ(small.size(), QSize(5, 3));
    EXPECT_EQ(small.bytesPerLine(), 16);
    EXPECT_TRUE(AllocateBitmap(0, 10, QImage::Format_BGR888).isNull());
    EXPECT_TRUE(AllocateBitmap(10, -1, QImage::Format_BGR888).isNull());
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
    EXPECT_TRUE(AllocateBitmap(60000, 60000, QImage::Format_BGR888).isNull());
    try {
        NewWorkingBitmap(60000, 60000);
        ADD_FAILURE() << "no error";
    } catch (const NotEnoughMemory& error) {
        EXPECT_EQ(error.message(), QStringLiteral("There is not enough memory for a picture of 60000 by 60000 pixels."));
    }
    EXPECT_LT(PeakAddressSpace() - before, qint64(1) << 20);  // not even a gibibyte was asked for
}
