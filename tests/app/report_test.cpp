#include "app/report.h"

#include <gtest/gtest.h>

using namespace pictaron;

TEST(FormatFixed, RoundsHalvesAwayFromZeroOnDecimalDigits)
{
    EXPECT_EQ(FormatFixed(128 / 1024.0L, 2), "0.13");  // C's printf gives 0.12
    EXPECT_EQ(FormatFixed(10.5L, 0), "11");
    EXPECT_EQ(FormatFixed(11.5L, 0), "12");
    EXPECT_EQ(FormatFixed(9.96L, 1), "10.0");
    EXPECT_EQ(FormatFixed(0.0L, 1), "0.0");
    EXPECT_EQ(FormatFixed(0.04L, 1), "0.0");
    EXPECT_EQ(FormatFixed(0.05L, 1), "0.1");
    EXPECT_EQ(FormatFixed(999.96L, 1), "1000.0");
    EXPECT_EQ(FormatFixed(1234567.0L, 2), "1234567.00");
    EXPECT_EQ(FormatFixed(-2.25L, 1), "-2.3");
    EXPECT_EQ(FormatFixed(0.0004L, 2), "0.00");
    // The digits are those of the binary value: the double 0.15 is
    // 0.149999999999999994…, the single 0.15 is 0.150000005….
    EXPECT_EQ(FormatFixed(0.15, 1), "0.1");
    EXPECT_EQ(FormatFixed(0.15f, 1), "0.2");
}

TEST(Report, DescribesPicturesAndSources)
{
    EXPECT_EQ(DescribePicture(640, 480), "640 by 480 pixels");
    const Bitmap picture(120, 60, Bitmap::Format_BGR888);
    EXPECT_EQ(OpenedSourceInfo("/pics/a.gif", 3500, picture), " /pics/a.gif\r\n 120 by 60 pixels, 3.4 K");
    EXPECT_EQ(PastedSourceInfo(picture), " Clipboard\r\n 120 by 60 pixels");
    // A name is shown as it is: its own markers are not filled in, its UTF-8 kept.
    EXPECT_EQ(OpenedSourceInfo("/pics/100%2 %3 \xc3\xb6.gif", 3500, picture),
              " /pics/100%2 %3 \xc3\xb6.gif\r\n 120 by 60 pixels, 3.4 K");
}

TEST(Report, ResultInfoOfAnUnsavedResult)
{
    const ResultInfo info = BuildResultInfo(5120, "200 by 100 pixels", 20480, std::string(), true);
    EXPECT_EQ(info.longText, " New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00% of original size");
    EXPECT_EQ(info.shortText, " New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00%");
}

TEST(Report, ResultInfoOfAPastedOriginalHasNoShare)
{
    const ResultInfo info = BuildResultInfo(128, "2 by 2 pixels", 0, std::string(), true);
    EXPECT_EQ(info.longText, " New image unsaved\r\n 2 by 2 pixels, 0.13 K");
    EXPECT_EQ(info.shortText, info.longText);
}

TEST(Report, ResultInfoOfASavedResultMarksChanges)
{
    const auto fit = [](const std::string& line) { return line.substr(0, 8); };
    EXPECT_TRUE(BuildResultInfo(1024, "d", 2048, "/out/x.jpg", false)
                    .longText.starts_with(" /out/x.jpg\r\n d, 1.00 K, 50.00%"));
    EXPECT_TRUE(BuildResultInfo(1024, "d", 2048, "/out/x.jpg", true)
                    .longText.starts_with(" /out/x.jpg *\r\n"));
    // The window shortens the name to its label; the rest stays whole.
    EXPECT_TRUE(BuildResultInfo(1024, "d", 2048, "/out/x.jpg", true, fit)
                    .longText.starts_with(" /out/x.\r\n d, 1.00 K"));
}

TEST(Report, ResultInfoEndsWithTheChosenSettingAndTheScore)
{
    const ResultNotes notes{DescribeChosenSetting(false, 63, 6), 0.98749};
    const ResultInfo info = BuildResultInfo(5120, "200 by 100 pixels", 20480, std::string(), true, {}, notes);
    EXPECT_EQ(info.longText, " New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00% of original size, "
                                            "quality 63 chosen in 6 trials, SSIM 0.987");
    EXPECT_EQ(info.shortText, " New image unsaved\r\n 200 by 100 pixels, 5.00 K, 25.00%, "
                                             "quality 63 chosen in 6 trials, SSIM 0.987");
    // The score rounds on its decimal digits, as every number of the report.
    EXPECT_TRUE(BuildResultInfo(128, "d", 0, std::string(), true, {}, {std::string(), 0.9995})
                    .longText.ends_with("0.13 K, SSIM 1.000"));
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
    EXPECT_EQ(NotesOf(gif).chosenSetting, "142 colours chosen in 8 trials");
    EXPECT_EQ(NotesOf(gif).similarity, 0.5);

    // Encoded once to meet a budget: nothing was chosen, so nothing is said.
    EncodedResult png;
    png.format = OutputFormat::Png;
    png.trials = 1;
    EXPECT_TRUE(NotesOf(png).chosenSetting.empty());
    EXPECT_FALSE(NotesOf(png).similarity);

    EncodedResult webp;
    webp.format = OutputFormat::Webp;
    webp.settingChosen = true;
    webp.trials = 7;  // quality 0 is a setting too
    EXPECT_EQ(NotesOf(webp).chosenSetting, "quality 0 chosen in 7 trials");
}

TEST(Report, DownloadTimeRows)
{
    const Texts current = DownloadTimeItems(35000, -1, true);
    ASSERT_EQ(current.size(), 8);
    EXPECT_EQ(current[0], "Speed|Current");  // no result yet: no "New"
    EXPECT_EQ(current[kDefaultSpeedRow], "28.8k|(10 sec)");

    const Texts both = DownloadTimeItems(35000, 7000, true);
    EXPECT_EQ(both[0], "Speed|Current|New");
    EXPECT_EQ(both[1], "9600|(29 sec)|5.8 sec");
    EXPECT_EQ(both[3], "28.8k|(10 sec)|2.0 sec");
    EXPECT_EQ(both[7], "T1|(0.2 sec)|0.0 sec");

    // showNew off hides the column even with a result.
    EXPECT_EQ(DownloadTimeItems(35000, 7000, false)[0], "Speed|Current");
    // A pasted original downloads in no time.
    EXPECT_EQ(DownloadTimeItems(0, -1, false)[1], "9600|(0.0 sec)");

    // Today's lines follow the seven: 400 000 bytes over 1.6, 9 and 50 Mbit/s.
    const Texts today = DownloadTimeItems(400000, 100000, true, true);
    ASSERT_EQ(today.size(), 11);
    EXPECT_EQ(Texts(today.begin(), today.begin() + 8), DownloadTimeItems(400000, 100000, true));
    EXPECT_EQ(today[8], "3G|(2.0 sec)|0.5 sec");
    EXPECT_EQ(today[9], "4G|(0.4 sec)|0.1 sec");
    EXPECT_EQ(today[10], "Broadband|(0.1 sec)|0.0 sec");
}

TEST(Report, SecondsSwitchFormatAtTen)
{
    EXPECT_EQ(FormatSeconds(10.0f), "10");
    EXPECT_EQ(FormatSeconds(9.96f), "10.0");
    EXPECT_EQ(FormatSeconds(10.5f), "11");
    EXPECT_FLOAT_EQ(DownloadSeconds(34860, kLineSpeeds[2]), 9.96f);
    EXPECT_EQ(FormatSeconds(DownloadSeconds(34860, kLineSpeeds[2])), "10.0");
}
