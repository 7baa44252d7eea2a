#include "app/conversion.h"

#include "app/saveresult.h"
#include "components/errors.h"
#include "components/qtbridge.h"
#include "formats/jpegimage.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace pictaron;

namespace {

Bitmap Gradient(int width, int height)
{
    Bitmap picture = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            RowPixels(picture, y)[x] = RGBTriple{std::uint8_t(x * 3), std::uint8_t(y * 5), std::uint8_t(x ^ y)};
    return picture;
}

class ConversionTest : public ::testing::Test {
protected:
    EncodedResult Run(const Bitmap& original, const ConversionSettings& settings)
    {
        RunContext context{progress_, cancel_, ToUtf8(WorkFile())};
        return RunConversion(original, settings, context);
    }
    QString WorkFile() const { return folder_.filePath(QStringLiteral("work.jpg")); }

    QTemporaryDir folder_;
    RunProgress progress_;
    CancelFlag cancel_;
};

} // namespace

TEST_F(ConversionTest, JpegRunWritesTheWorkFileAndShowsItDecoded)
{
    const Bitmap original = Gradient(70, 40);
    ConversionSettings settings;
    settings.jpegQuality = 55;
    settings.greyscale = true;
    const EncodedResult result = Run(original, settings);

    EXPECT_EQ(result.size, QFileInfo(WorkFile()).size());
    EXPECT_EQ(result.description, "70 by 40 pixels");
    TJPEGImage written;
    written.LoadFromFile(ToUtf8(WorkFile()));
    EXPECT_TRUE(written.Data().grayscale);
    EXPECT_EQ(result.picture.size(), Size(70, 40));
    EXPECT_EQ(result.picture.format(), Bitmap::Format_BGR888);
    EXPECT_EQ(result.picture, written.Decode());
    // The run worked on its own copy.
    EXPECT_EQ(original, Gradient(70, 40));
    // The bar is left empty and captionless.
    EXPECT_TRUE(progress_.text().empty());
    EXPECT_EQ(progress_.done(), 0);
}

TEST_F(ConversionTest, SecondRunReplacesTheWorkFile)
{
    ConversionSettings settings;
    settings.jpegQuality = 100;
    const qint64 first = Run(Gradient(64, 64), settings).size;
    settings.jpegQuality = 5;
    const EncodedResult second = Run(Gradient(64, 64), settings);
    EXPECT_LT(second.size, first);
    EXPECT_EQ(second.size, QFileInfo(WorkFile()).size());
}

TEST_F(ConversionTest, QualityOutsideTheSliderIsClamped)
{
    ConversionSettings settings;
    settings.jpegQuality = 0;
    const qint64 atZero = Run(Gradient(64, 64), settings).size;
    settings.jpegQuality = 1;
    EXPECT_EQ(Run(Gradient(64, 64), settings).size, atZero);
    settings.jpegQuality = 150;
    const qint64 atHigh = Run(Gradient(64, 64), settings).size;
    settings.jpegQuality = 100;
    EXPECT_EQ(Run(Gradient(64, 64), settings).size, atHigh);
}

TEST_F(ConversionTest, CancelledRunLeavesTheLastResultInPlace)
{
    const EncodedResult first = Run(Gradient(50, 50), ConversionSettings{});
    const QByteArray before = [&] {
        QFile file(WorkFile());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    cancel_.Cancel();
    ConversionSettings settings;
    settings.jpegQuality = 10;
    EXPECT_THROW(Run(Gradient(50, 50), settings), RunCancelled);
    QFile file(WorkFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(first.size, before.size());
}

TEST_F(ConversionTest, UnwritableWorkFileFailsWithItsName)
{
    RunContext context{progress_, cancel_, ToUtf8(folder_.filePath(QStringLiteral("no/such/folder/work.jpg")))};
    try {
        RunConversion(Gradient(8, 8), ConversionSettings{}, context);
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_TRUE(ToQString(error.message()).contains(QStringLiteral("no/such/folder/work.jpg"))) << error.what();
    }
}

TEST_F(ConversionTest, SavingAJpegWritesTheBytesOfTheWorkFile)
{
    const EncodedResult result = Run(Gradient(30, 20), ConversionSettings{});
    const QString saved = folder_.filePath(QStringLiteral("saved.jpg"));
    EXPECT_EQ(SaveResult(ToUtf8(saved), result.picture, result.bytes, ConversionSettings{}), result.size);
    QFile a(saved), b(WorkFile());
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    // A work file changed since is not what the result was: the result's own
    // bytes are saved.
    QFile::remove(WorkFile());
    EXPECT_EQ(SaveResult(ToUtf8(saved), result.picture, result.bytes, ConversionSettings{}), result.size);
    EXPECT_EQ(QFileInfo(saved).size(), result.size);

    // A write that fails says so, and why.
    const QString inTheWay = folder_.filePath(QStringLiteral("taken.jpg"));
    QDir().mkdir(inTheWay);
    try {
        SaveResult(ToUtf8(inTheWay), result.picture, result.bytes, ConversionSettings{});
        FAIL() << "no error";
    } catch (const PictaronError& error) {
        EXPECT_TRUE(ToQString(error.message()).startsWith(QStringLiteral("Copy of file failed\n\nCannot write "))) << error.what();
        EXPECT_TRUE(ToQString(error.message()).contains(QDir::toNativeSeparators(inTheWay))) << error.what();
    }
}
