// Several inputs converted at once, their results taken in input order.
//
// convert(i) runs on up to `jobs` threads; finish(i, result) runs on the
// calling thread, for i = 0, 1, 2 … each once its conversion is done, so what
// a run prints and writes comes in the order of its inputs whatever finishes
// first. An input starts only while mayStart() holds, and inputs start in
// order, so the started ones are always the first k: finish then gets
// nothing for input k and the run ends. finish returns false to end the run
// early; conversions under way then complete and are dropped. Conversions
// run at most a few inputs ahead of the one finished last, so a slow picture
// does not make the others pile up in memory. convert must not throw.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace pictaron {

template <typename Result>
void RunInOrder(int count, int jobs, const std::function<Result(int)>& convert,
                const std::function<bool(int, std::optional<Result>)>& finish, const std::function<bool()>& mayStart)
{
    if (jobs <= 1) {
        for (int i = 0; i < count; ++i) {
            if (!mayStart()) {
                finish(i, std::nullopt);
                return;
            }
            if (!finish(i, convert(i)))
                return;
        }
        return;
    }

    const int ahead = 4 * jobs;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::optional<Result>> results(count);
    int next = 0;           // the next input to start
    int finished = 0;       // inputs handed to finish
    int startedEnd = count; // the first input that will never start
    bool stopped = false;
    const auto work = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stopped || next >= startedEnd || next < finished + ahead; });
            if (stopped || next >= startedEnd)
                return;
            if (!mayStart()) {
                startedEnd = next;
                changed.notify_all();
                return;
            }
            const int i = next++;
            lock.unlock();
            Result result = convert(i);
            lock.lock();
            results[i] = std::move(result);
            changed.notify_all();
        }
    };
    std::vector<std::jthread> workers;
    for (int worker = 0; worker < std::min(jobs, count); ++worker)
        workers.emplace_back(work);

    for (int i = 0; i < count; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return results[i].has_value() || i >= startedEnd; });
        std::optional<Result> result = std::move(results[i]);
        results[i].reset();
        finished = i + 1;
        changed.notify_all();
        lock.unlock();
        const bool started = result.has_value();
        if (!finish(i, std::move(result)) || !started) {
            const std::lock_guard<std::mutex> stop(mutex);
            stopped = true;
            changed.notify_all();
            break;
        }
    }
    // The workers' destructors wait for the conversions under way.
}

} // namespace pictaron
