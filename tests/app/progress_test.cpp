#include "app/progress.h"
#include "app/queuedprogressview.h"
#include "components/errors.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace pictaron;

namespace {

struct Repaint {
    std::string text;
    int percent;
};

class RecordingView : public ProgressView {
public:
    void ProgressChanged(const std::string& text, int percent) override { repaints.push_back({text, percent}); }
    std::vector<Repaint> repaints;
};

} // namespace

TEST(RunProgress, RowLoopUpdatesEveryTenthOfTheTotal)
{
    RunProgress progress;
    std::vector<int> taken;
    for (int row = 0; row <= 480; ++row) {
        const int before = progress.done();
        progress.ReportProgress({}, row, 480);
        if (progress.done() != before || row == 0)
            taken.push_back(progress.done());
    }
    EXPECT_EQ(taken, (std::vector<int>{0, 48, 96, 144, 192, 240, 288, 336, 384, 432, 480}));
    EXPECT_EQ(progress.percent(), 100);
}

TEST(RunProgress, RepaintsOnlyOnChangedPercentOrText)
{
    RecordingView view;
    RunProgress progress(&view);
    progress.SetStatus("Resizing");
    for (int row = 0; row < 1000; ++row)
        progress.ReportProgress({}, row, 1000);
    // One repaint for the text, then one per new tenth (0 % was already shown).
    ASSERT_EQ(view.repaints.size(), 10u);
    EXPECT_EQ(view.repaints.front().text, "Resizing");
    EXPECT_EQ(view.repaints.back().percent, 90);

    view.repaints.clear();
    progress.SetStatus("Resizing");  // same text: nothing to repaint
    EXPECT_TRUE(view.repaints.empty());
    progress.SetStatus({});
    ASSERT_EQ(view.repaints.size(), 1u);
    EXPECT_TRUE(view.repaints.back().text.empty());
}

TEST(RunProgress, TotalMinusOneKeepsTheTotalAndTakesEveryValue)
{
    RunProgress progress;
    progress.ReportProgress({}, 0, 100);
    progress.ReportProgress("Saving", 37, -1);
    EXPECT_EQ(progress.total(), 100);
    EXPECT_EQ(progress.done(), 37);  // step is 1 when total is -1
    EXPECT_EQ(progress.percent(), 37);
    EXPECT_EQ(progress.text(), "Saving");
    // An empty text keeps the caption.
    progress.ReportProgress({}, 50, -1);
    EXPECT_EQ(progress.text(), "Saving");
}

TEST(RunProgress, CountsAre16BitAndDoneIsClampedToTheTotal)
{
    RunProgress progress;
    progress.ReportProgress({}, 0, 70000);  // wraps to 4464
    EXPECT_EQ(progress.total(), 70000 - 65536);
    progress.ReportProgress({}, 200, 100);
    EXPECT_EQ(progress.percent(), 100);
    progress.ReportProgress({}, 0, 0);
    EXPECT_EQ(progress.percent(), 0);  // no total, no division
}

TEST(CancelFlag, ThrowsOnlyOnceCancelled)
{
    CancelFlag cancel;
    EXPECT_NO_THROW(cancel.ThrowIfCancelled());
    cancel.Cancel();
    EXPECT_THROW(cancel.ThrowIfCancelled(), RunCancelled);
    cancel.Reset();
    EXPECT_NO_THROW(cancel.ThrowIfCancelled());
}

// The window hears of a change on its own thread, later, with the UTF-8
// text of the engine as the toolkit's string.
TEST(QueuedProgressView, HandsTheTextToTheReceiverQueued)
{
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QObject receiver;
    std::vector<std::pair<QString, int>> shown;
    QueuedProgressView view(&receiver, [&](const QString& text, int percent) { shown.emplace_back(text, percent); });
    RunProgress progress(&view);
    progress.ReportProgress("Größe € anpassen", 30, 100);
    EXPECT_TRUE(shown.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.front().first, QStringLiteral("Größe € anpassen"));
    EXPECT_EQ(shown.front().second, 30);
}
