// The search behind a byte budget and a quality floor: the one setting of a
// range (a quality, a colour count) that best meets a test, found by
// bisection, each trial a real encode.
//
// Larger settings give larger files and higher scores, near enough: the
// search assumes it and keeps the best trial that passed, so a result that
// breaks the rule here and there costs at most a slightly worse choice,
// never a result that fails the test. A range of n settings takes at most
// ceil(log2(n + 1)) trials: 7 for qualities 1..100, 8 for 2..256 colours.
#pragma once

#include <functional>
#include <optional>

namespace pictaron {

template <typename Result>
struct SearchOutcome {
    std::optional<Result> chosen;  // the trial that passed, if any did
    int setting = 0;               // its setting
    Result lastFailure{};          // when none passed: the trial at the range's other end
    int trials = 0;
};

// The highest setting in low..high whose trial passes (the best quality that
// fits a budget).
template <typename Result>
SearchOutcome<Result> HighestPassing(int low, int high, const std::function<Result(int)>& trial,
                                     const std::function<bool(const Result&)>& passes)
{
    SearchOutcome<Result> outcome;
    while (low <= high) {
        const int middle = low + (high - low + 1) / 2;
        Result result = trial(middle);
        ++outcome.trials;
        if (passes(result)) {
            outcome.chosen = std::move(result);
            outcome.setting = middle;
            low = middle + 1;
        } else {
            outcome.lastFailure = std::move(result);
            high = middle - 1;
        }
    }
    return outcome;
}

// The lowest setting in low..high whose trial passes (the smallest file that
// still scores enough).
template <typename Result>
SearchOutcome<Result> LowestPassing(int low, int high, const std::function<Result(int)>& trial,
                                    const std::function<bool(const Result&)>& passes)
{
    SearchOutcome<Result> outcome;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        Result result = trial(middle);
        ++outcome.trials;
        if (passes(result)) {
            outcome.chosen = std::move(result);
            outcome.setting = middle;
            high = middle - 1;
        } else {
            outcome.lastFailure = std::move(result);
            low = middle + 1;
        }
    }
    return outcome;
}

} // namespace pictaron
