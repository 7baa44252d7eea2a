#include "app/settingsearch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace pictaron;

namespace {

// A file size that grows with the quality, as an encoder's does.
long SizeAt(int quality) { return 1000 + 37L * quality + quality * quality; }

} // namespace

TEST(SettingSearchTest, HighestSettingUnderABudgetForEveryBudget)
{
    for (long budget = SizeAt(1) - 1; budget <= SizeAt(100) + 1; budget += 7) {
        std::vector<int> tried;
        const auto outcome = HighestPassing<long>(
            1, 100, [&](int q) { tried.push_back(q); return SizeAt(q); }, [&](long size) { return size <= budget; });
        // What a walk over every quality would choose.
        int expected = 0;
        for (int q = 1; q <= 100; ++q)
            if (SizeAt(q) <= budget)
                expected = q;
        ASSERT_LE(outcome.trials, 7) << budget;
        ASSERT_EQ(outcome.trials, static_cast<int>(tried.size()));
        if (expected == 0) {
            ASSERT_FALSE(outcome.chosen.has_value()) << budget;
            // The smallest size reached is the lowest setting's.
            ASSERT_EQ(outcome.lastFailure, SizeAt(1));
        } else {
            ASSERT_EQ(outcome.setting, expected) << budget;
            ASSERT_EQ(*outcome.chosen, SizeAt(expected));
        }
    }
}

TEST(SettingSearchTest, LowestSettingThatScoresEnough)
{
    // A score rising with the colour count, as a palette's does.
    const auto score = [](int colours) { return 1.0 - 1.0 / std::sqrt(double(colours)); };
    for (double floor : {0.0, 0.5, 0.8, 0.93, 0.9375, 0.95, 0.99}) {
        const auto outcome = LowestPassing<double>(2, 256, score, [&](double s) { return s >= floor; });
        int expected = 0;
        for (int c = 256; c >= 2; --c)
            if (score(c) >= floor)
                expected = c;
        ASSERT_LE(outcome.trials, 8) << floor;
        if (expected == 0) {
            ASSERT_FALSE(outcome.chosen.has_value());
            ASSERT_EQ(outcome.lastFailure, score(256));  // the best reached
        } else {
            ASSERT_EQ(outcome.setting, expected) << floor;
        }
    }
}

TEST(SettingSearchTest, ANonMonotoneSizeNeverGivesAResultOverTheBudget)
{
    // Sizes that dip and rise: whatever is chosen passed its own trial.
    const auto size = [](int q) { return 1000L + 10L * q + ((q % 9) == 0 ? 400 : 0); };
    for (long budget = 900; budget < 2200; budget += 13) {
        const auto outcome = HighestPassing<long>(1, 100, size, [&](long s) { return s <= budget; });
        if (outcome.chosen)
            ASSERT_LE(*outcome.chosen, budget);
    }
}
