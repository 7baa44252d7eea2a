#include "app/report.h"

#include <gtest/gtest.h>

using namespace pictaron;

TEST(FormatFixed, RoundsHalvesAwayFromZeroOnDecimalDigits)
{
    EXPECT_EQ(FormatFixed(128 / 1024.0L, 2), QStringLiteral("0.13"));  // C's printf gives 0.12
    EXPECT_EQ(FormatFixed(10.5L, 0), QStringLiteral("11"));
    EXPECT_EQ(FormatFixed(11.5L, 0), QStringLiteral("12"));
    EXPECT_EQ(FormatFixed(9.96L, 1), QStringLiteral("10.0"));
    EXPECT_EQ(FormatFixed(0.0L, 1), QStringLiteral("0.0"));
    EXPECT_EQ(FormatFixed(0.04L, 1), QStringLiteral("0.0"));
    EXPECT_EQ(FormatFixed(0.05L, 1), QStringLiteral("0.1"));
    EXPECT_EQ(FormatFixed(999.96L, 1), QStringLiteral("1000.0"));
    EXPECT_EQ(FormatFixed(1234567.0L, 2), QStringLiteral("1234567.00"));
    EXPECT_EQ(FormatFixed(-2.25L, 1), QStringLiteral("-2.3"));
    EXPECT_EQ(FormatFixed(0.0004L, 2), QStringLiteral("0.00"));
    // The digits are those of the binary value: the double 0.15 is
    // 0.149999999999999994…, the single 0.15 is 0.150000005….
    EXPECT_EQ(FormatFixed(0.15, 1), QStringLiteral("0.1"));
    EXPECT_EQ(FormatFixed(0.15f, 1), QStringLiteral("0.2"));
}

TEST(Report, DescribesPicturesAndSources)
{
    EXPECT_EQ(DescribePicture(640, 480), QStringLiteral("640 by 480 pixels"));
    const Bitmap picture(120, 60, Bitmap::Format_BGR888);
    EXPECT_EQ(OpenedSourceInfo(QStringLiteral("/pics/a.gif"), 3500, picture),
              QStringLiteral(" /pics/a.gif\r\n 120 by 60 pixels, 3.4 K"));
    EXPECT_EQ(PastedSourceInfo(picture), QStringLiteral(" Clipboard\r\n 120 by 60 pixels"));
}

TEST(Report, ResultInfoOfAnUnsavedResult)
{
    const ResultInfo info = BuildResultInfo(5120, QStringLiteral("200 by 100 pixels"), 20480, QString(), true);
    EXPECT_EQ(info.longText, QStringLiteral(" New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00% of original size"));
    EXPECT_EQ(info.shortText, QStringLiteral(" New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00%"));
}

TEST(Report, ResultInfoOfAPastedOriginalHasNoShare)
{
    const ResultInfo info = BuildResultInfo(128, QStringLiteral("2 by 2 pixels"), 0, QString(), true);
    EXPECT_EQ(info.longText, QStringLiteral(" New image unsaved\r\n 2 by 2 pixels, 0.13 K"));
    EXPECT_EQ(info.shortText, info.longText);
}

TEST(Report, ResultInfoOfASavedResultMarksChanges)
{
    const auto fit = [](const QString& line) { return line.left(8); };
    EXPECT_TRUE(BuildResultInfo(1024, QStringLiteral("d"), 2048, QStringLiteral("/out/x.jpg"), false)
                    .longText.startsWith(QStringLiteral(" /out/x.jpg\r\n d, 1.00 K, 50.00%")));
    EXPECT_TRUE(BuildResultInfo(1024, QStringLiteral("d"), 2048, QStringLiteral("/out/x.jpg"), true)
                    .longText.startsWith(QStringLiteral(" /out/x.jpg *\r\n")));
    // The window shortens the name to its label; the rest stays whole.
    EXPECT_TRUE(BuildResultInfo(1024, QStringLiteral("d"), 2048, QStringLiteral("/out/x.jpg"), true, fit)
                    .longText.startsWith(QStringLiteral(" /out/x.\r\n d, 1.00 K")));
}

TEST(Report, ResultInfoEndsWithTheChosenSettingAndTheScore)
{
    const ResultNotes notes{DescribeChosenSetting(false, 63, 6), 0.98749};
    const ResultInfo info = BuildResultInfo(5120, QStringLiteral("200 by 100 pixels"), 20480, QString(), true, {}, notes);
    EXPECT_EQ(info.longText, QStringLiteral(" New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00% of original size, "
                                            "quality 63 chosen in 6 trials, SSIM 0.987"));
    EXPECT_EQ(info.shortText, QStringLiteral(" New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00%, "
                                             "quality 63 chosen in 6 trials, SSIM 0.987"));
    // The score rounds on its decimal digits, as every number of the report.
    EXPECT_TRUE(BuildResultInfo(128, QStringLiteral("d"), 0, QString(), true, {}, {QString(), 0.9995})
                    .longText.endsWith(QStringLiteral("0.13 K, SSIM 1.000")));
}

TEST(Report, NotesOfAResultSayWhatTheSearchChose)
{
    EncodedResult gif;
    gif.format = OutputFormat::Gif;
    gif.colours = 142;
    gif.settingChosen = true;
    gif.chosenSetting = 142;
    gif.trials = 8;
    gif.similarity = 0.5;
    EXPECT_EQ(NotesOf(gif).chosenSetting, QStringLiteral("142 colours chosen in 8 trials"));
    EXPECT_EQ(NotesOf(gif).similarity, 0.5);

    // Encoded once to meet a budget: nothing was chosen, so nothing is said.
    EncodedResult png;
    png.format = OutputFormat::Png;
    png.trials = 1;
    EXPECT_TRUE(NotesOf(png).chosenSetting.isEmpty());
    EXPECT_FALSE(NotesOf(png).similarity);

    EncodedResult webp;
    webp.format = OutputFormat::Webp;
    webp.settingChosen = true;
    webp.trials = 7;  // quality 0 is a setting too
    EXPECT_EQ(NotesOf(webp).chosenSetting, QStringLiteral("quality 0 chosen in 7 trials"));
}

TEST(Report, DownloadTimeRows)
{
    const QStringList current = DownloadTimeItems(35000, -1, true);
    ASSERT_EQ(current.size(), 8);
    EXPECT_EQ(current[0], QStringLiteral("Speed|Current"));  // no result yet: no "New"
    EXPECT_EQ(current[kDefaultSpeedRow], QStringLiteral("28.8k|(10 sec)"));

    const QStringList both = DownloadTimeItems(35000, 7000, true);
    EXPECT_EQ(both[0], QStringLiteral("Speed|Current|New"));
    EXPECT_EQ(both[1], QStringLiteral("9600|(29 sec)|5.8 sec"));
    EXPECT_EQ(both[3], QStringLiteral("28.8k|(10 sec)|2.0 sec"));
    EXPECT_EQ(both[7], QStringLiteral("T1|(0.2 sec)|0.0 sec"));

    // showNew off hides the column even with a result.
    EXPECT_EQ(DownloadTimeItems(35000, 7000, false)[0], QStringLiteral("Speed|Current"));
    // A pasted original downloads in no time.
    EXPECT_EQ(DownloadTimeItems(0, -1, false)[1], QStringLiteral("9600|(0.0 sec)"));

    // Today's lines follow the seven: 400 000 bytes over 1.6, 9 and 50 Mbit/s.
    const QStringList today = DownloadTimeItems(400000, 100000, true, true);
    ASSERT_EQ(today.size(), 11);
    EXPECT_EQ(today.mid(0, 8), DownloadTimeItems(400000, 100000, true));
    EXPECT_EQ(today[8], QStringLiteral("3G|(2.0 sec)|0.5 sec"));
    EXPECT_EQ(today[9], QStringLiteral("4G|(0.4 sec)|0.1 sec"));
    EXPECT_EQ(today[10], QStringLiteral("Broadband|(0.1 sec)|0.0 sec"));
}

TEST(Report, SecondsSwitchFormatAtTen)
{
    EXPECT_EQ(FormatSeconds(10.0f), QStringLiteral("10"));
    EXPECT_EQ(FormatSeconds(9.96f), QStringLiteral("10.0"));
    EXPECT_EQ(FormatSeconds(10.5f), QStringLiteral("11"));
    EXPECT_FLOAT_EQ(DownloadSeconds(34860, kLineSpeeds[2]), 9.96f);
    EXPECT_EQ(FormatSeconds(DownloadSeconds(34860, kLineSpeeds[2])), QStringLiteral("10.0"));
}
