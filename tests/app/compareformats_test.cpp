// Comparing formats without a window: one result per format, each what its
// own signature and an independent decoder say it is, a byte budget met by
// every format that can meet it, and the table's texts on worked examples.
#include "app/compareformats.h"

#include "app/outputformat.h"
#include "components/errors.h"
#include "components/qtbridge.h"
#include "effects/pixels.h"

#include "effects/bitmap.h"

#include "../bitmapimage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace pictaron;

namespace {

Bitmap Photo(int width, int height)
{
    std::mt19937 random(11);
    Bitmap picture = NewWorkingBitmap(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            RowPixels(picture, y)[x] = RGBTriple{std::uint8_t(x * 2 + random() % 24), std::uint8_t(y * 3 + random() % 8),
                                                 std::uint8_t((x * y) % 200 + random() % 40)};
    return picture;
}

std::vector<FormatComparison> Compare(const Bitmap& picture, const ConversionSettings& settings,
                                      const CancelFlag& cancel = CancelFlag())
{
    RunProgress progress;
    RunContext context{progress, cancel, std::string()};
    return CompareFormats(picture, Bitmap(), settings, context);
}

// What the first bytes of each kind of file are.
bool HasSignature(OutputFormat format, const QByteArray& bytes)
{
    switch (format) {
    case OutputFormat::Gif:
        return bytes.startsWith("GIF89a") || bytes.startsWith("GIF87a");
    case OutputFormat::Jpeg:
        return bytes.startsWith("\xFF\xD8\xFF");
    case OutputFormat::Png:
        return bytes.startsWith("\x89PNG\r\n\x1A\n");
    case OutputFormat::Webp:
        return bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP";
    case OutputFormat::Avif:
        return bytes.mid(4, 8) == "ftypavif";
    }
    return false;
}

} // namespace

TEST(CompareFormats, OneResultPerFormatEachOfItsKind)
{
    const Bitmap picture = Photo(80, 60);
    const std::vector<FormatComparison> entries = Compare(picture, ConversionSettings());
    ASSERT_EQ(entries.size(), OutputFormats().size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const FormatComparison& entry = entries[i];
        SCOPED_TRACE(FactsOf(entry.format).name);
        EXPECT_EQ(entry.format, OutputFormats()[i].format);
        ASSERT_TRUE(entry.result) << entry.error.toStdString();
        const EncodedResult& r = *entry.result;
        EXPECT_EQ(r.format, entry.format);
        EXPECT_EQ(r.size, r.bytes.size());
        EXPECT_TRUE(HasSignature(entry.format, ToQByteArray(r.bytes.view())));
        EXPECT_EQ(r.picture.size(), picture.size());
        ASSERT_TRUE(r.similarity);
        EXPECT_GT(*r.similarity, 0.5);
        EXPECT_LE(*r.similarity, 1.0);
    }
    // Qt's own readers agree with what the window would show for the kinds
    // they know; a truecolour PNG keeps every pixel, and scores 1.
    for (const OutputFormat format : {OutputFormat::Gif, OutputFormat::Jpeg, OutputFormat::Png}) {
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [format](const FormatComparison& e) { return e.format == format; });
        ASSERT_NE(entry, entries.end());
        const EncodedResult& r = *entry->result;
        const Bitmap decoded = ToBitmap(QImage::fromData(ToQByteArray(r.bytes.view())).convertToFormat(QImage::Format_RGB888));
        EXPECT_EQ(decoded.size(), picture.size());
        if (format == OutputFormat::Png) {
            EXPECT_EQ(decoded, ImageView(picture).convertToFormat(QImage::Format_RGB888));
            EXPECT_DOUBLE_EQ(*r.similarity, 1.0);
        }
    }
}

TEST(CompareFormats, ABudgetHoldsForEveryFormatThatCanMeetIt)
{
    const Bitmap picture = Photo(120, 90);
    ConversionSettings s;
    const std::vector<FormatComparison> free = Compare(picture, s);
    const qint64 png = free[static_cast<size_t>(&FactsOf(OutputFormat::Png) - OutputFormats().data())].result->size;
    s.maxBytes = png / 3;
    const std::vector<FormatComparison> entries = Compare(picture, s);
    for (const FormatComparison& entry : entries) {
        SCOPED_TRACE(FactsOf(entry.format).name);
        if (entry.format == OutputFormat::Png) {
            // A truecolour PNG has nothing to lower: it cannot be made so small.
            EXPECT_FALSE(entry.result);
            EXPECT_TRUE(entry.error.contains(QStringLiteral("does not fit"))) << entry.error.toStdString();
            continue;
        }
        ASSERT_TRUE(entry.result) << entry.error.toStdString();
        EXPECT_LE(entry.result->size, s.maxBytes);
        EXPECT_TRUE(entry.result->settingChosen);
    }
}

TEST(CompareFormats, ACancelEndsTheWholeComparison)
{
    CancelFlag cancel;
    cancel.Cancel();
    EXPECT_THROW(Compare(Photo(40, 30), ConversionSettings(), cancel), RunCancelled);
}

TEST(CompareFormats, TableTextsOfWorkedExamples)
{
    FormatComparison webp;
    webp.format = OutputFormat::Webp;
    webp.result = EncodedResult();
    webp.result->size = 3800;
    webp.result->similarity = 0.98765;
    // 3800 of 10 000 bytes; 3800 bytes at 28.8k (3500 bytes a second) take 1.09 s.
    const LineSpeed& line = LineSpeedOfRow(kDefaultSpeedRow);
    EXPECT_EQ(ComparisonHeader(line), (QStringList{"Format", "Bytes", "Share", "SSIM", "At 28.8k"}));
    EXPECT_EQ(ComparisonRow(webp, 10000, line), (QStringList{"WebP", "3800", "38%", "0.988", "1.1 sec"}));
    // A pasted original has no share; a half percent rounds up.
    EXPECT_EQ(ComparisonRow(webp, 0, line)[2], QString());
    EXPECT_EQ(ComparisonRow(webp, 8000, line)[2], QStringLiteral("48%"));  // 47.5

    FormatComparison png;
    png.format = OutputFormat::Png;
    png.error = QStringLiteral("The picture does not fit in 1.0 KB");
    EXPECT_EQ(ComparisonRow(png, 10000, line), (QStringList{"PNG", "not made", "", "", ""}));
}

TEST(CompareFormats, LineSpeedsOfTheDownloadListRows)
{
    EXPECT_STREQ(LineSpeedOfRow(1).label, "9600");
    EXPECT_STREQ(LineSpeedOfRow(7).label, "T1");
    EXPECT_STREQ(LineSpeedOfRow(8).label, "3G");
    EXPECT_STREQ(LineSpeedOfRow(10).label, "Broadband");
    // The header, nothing chosen and rows beyond give the list's default row.
    for (const int row : {0, -1, 11})
        EXPECT_STREQ(LineSpeedOfRow(row).label, "28.8k");
}
