// The texts of the result report: what each picture is, how large it is and how
// long it takes to download. The windows draw them; the command line prints them.
#pragma once

#include "app/runcontext.h"

#include "components/plaintext.h"
#include "components/sizes.h"
#include "effects/bitmap.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pictaron {

// printf-style "%.Nf" as users of the program have always seen it: the value is
// first expanded to 18 significant decimal digits, then cut at the requested
// place and rounded half away from zero on those decimal digits. So 0.125 with
// two decimals gives "0.13", where the C library, working on the binary value,
// would give "0.12".
std::string FormatFixed(long double value, int decimals);

// "640 by 480 pixels".
std::string DescribePicture(int width, int height);
std::string DescribePicture(Size size);
std::string DescribePicture(const Bitmap& picture);

// Kilobytes as the report shows them: bytes × (1/1024) with the given decimals.
std::string FormatKilobytes(std::int64_t bytes, int decimals);

// The hint of the source info label: two lines joined by "\r\n".
// For a picture whose tags were applied, applied says what was done
// ("rotated 90°, converted from Display P3", see DescribeAppliedTags); it ends
// the second line. The Bitmap form reads it from the picture.
std::string OpenedSourceInfo(const std::string& path, std::int64_t fileSize, Size pictureSize,
                             const std::string& applied = {});
std::string OpenedSourceInfo(const std::string& path, std::int64_t fileSize, const Bitmap& picture);
std::string PastedSourceInfo(const Bitmap& picture);

// The result info label offers a long text ("… of original size") and a short
// one; the window uses the long one when it fits on one line.
struct ResultInfo {
    std::string shortText;
    std::string longText;
};

// What a run found out besides the size, each left out when the run has none:
// the setting a byte budget's search chose, and the similarity score.
struct ResultNotes {
    std::string chosenSetting;  // see DescribeChosenSetting
    std::optional<double> similarity;
};

// "quality 63 chosen in 6 trials", "142 colours chosen in 8 trials" (colours:
// the setting is a colour count).
std::string DescribeChosenSetting(bool colours, int setting, int trials);

// The notes of a run's result.
ResultNotes NotesOf(const EncodedResult& result);

// fitFileName shortens the saved file's name to the label (identity when unset).
// The notes end both texts: ", quality 63 chosen in 6 trials, SSIM 0.987".
ResultInfo BuildResultInfo(std::int64_t size, const std::string& description, std::int64_t originalSize,
                           const std::string& resultFileName, bool changed,
                           const std::function<std::string(const std::string&)>& fitFileName = {},
                           const ResultNotes& notes = {});

struct LineSpeed {
    const char* label;
    int bytesPerSecond;
};
inline constexpr std::array<LineSpeed, 7> kLineSpeeds{{
    {"9600", 1200},
    {"14.4k", 1750},
    {"28.8k", 3500},
    {"33.6k", 4200},
    {"56k", 7000},
    {"112k", 14000},
    {"T1", 193000},
}};
// Today's lines, which the list can show after the seven above: mobile 3G
// (1.6 Mbit/s), 4G (9 Mbit/s) and broadband (50 Mbit/s), as bytes a second.
inline constexpr std::array<LineSpeed, 3> kTodaysLineSpeeds{{
    {"3G", 200'000},
    {"4G", 1'125'000},
    {"Broadband", 6'250'000},
}};
// The row the open command shows in the closed list: "28.8k".
inline constexpr int kDefaultSpeedRow = 3;

// Seconds to download, held as a single like the list has always computed them.
float DownloadSeconds(std::int64_t bytes, const LineSpeed& speed);
// "%.1f" below ten seconds, "%.0f" from ten on: 9.96 → "10.0", 10 → "10".
std::string FormatSeconds(float seconds);

// The items of the download-time list: the header "Speed|Current[|New]" and one
// row per line speed, fields separated by "|". The "New" column appears when
// showNew is set and a result exists (resultSize >= 0). With todaysLines the
// rows of kTodaysLineSpeeds follow the seven.
Texts DownloadTimeItems(std::int64_t originalSize, std::int64_t resultSize, bool showNew, bool todaysLines = false);

} // namespace pictaron
