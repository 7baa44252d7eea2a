// Comparing formats: the current picture made with the current options in each
// of the five formats, so the user can see which one serves a page best.
//
// Each format is encoded from the changed picture as a run of it alone would
// be (ApplyChanges, EncodeChanged), so its bytes are those pictaron-cli writes
// with the same options; a byte budget in the settings applies to each. The results are decoded
// again and scored, as the window shows them.
//
// Threading: CompareFormats runs on a worker thread; the rest anywhere.
#pragma once

#include "app/conversionsettings.h"
#include "app/report.h"
#include "app/runcontext.h"

#include "effects/bitmap.h"
#include <QStringList>

#include <optional>
#include <vector>

namespace pictaron {

struct FormatComparison {
    OutputFormat format = OutputFormat::Jpeg;
    std::optional<EncodedResult> result;
    QString error;  // why there is no result (a budget it cannot meet)
};

// One entry per format, in the order of OutputFormats(). A format whose run
// fails keeps its message; cancelling ends the whole comparison (RunCancelled).
std::vector<FormatComparison> CompareFormats(const Bitmap& original, const Bitmap& alpha,
                                             const ConversionSettings& settings, RunContext& context);

// The columns of a comparison's table, and one row's texts: the format's name,
// its bytes, its share of the original in whole percent ("38%"; empty for a
// pasted original), its SSIM with three decimals and its download time at the
// given line ("1.1 sec"). A format without a result says "not made", the
// rest of its row empty (its error says why).
QStringList ComparisonHeader(const LineSpeed& speed);
QStringList ComparisonRow(const FormatComparison& entry, qint64 originalSize, const LineSpeed& speed);

// The line speed of a row of the download-time list (1..7, then today's
// lines); the header and anything else give the "28.8k" row's.
const LineSpeed& LineSpeedOfRow(int row);

} // namespace pictaron
