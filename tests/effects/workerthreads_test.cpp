#include "effects/workerthreads.h"

#include "effectpictures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

using namespace pictaron;
using namespace pictaron::effecttests;

TEST(WorkerThreads, CountFollowsTheVariable)
{
    {
        const ThreadsVariable threads("3");
        EXPECT_EQ(WorkerThreadCount(), 3);
    }
    {
        const ThreadsVariable threads("1");
        EXPECT_EQ(WorkerThreadCount(), 1);
    }
    const int hardware = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    for (const char* unusable : {"", "0", "-2", "many"}) {
        const ThreadsVariable threads(unusable);
        EXPECT_EQ(WorkerThreadCount(), hardware) << unusable;
    }
}

TEST(WorkerThreads, EveryPartRunsOnceOnTheThreadsAllowed)
{
    for (int threads : {1, 2, 3}) {
        std::vector<std::atomic<int>> runs(50);
        std::mutex lock;
        std::set<std::thread::id> seen;
        std::set<int> workers;
        ForEachPart(static_cast<int>(runs.size()), threads, [&](int part, int worker) {
            ++runs[part];
            const std::scoped_lock guard(lock);
            seen.insert(std::this_thread::get_id());
            workers.insert(worker);
        });
        for (std::size_t part = 0; part < runs.size(); ++part)
            EXPECT_EQ(runs[part], 1) << "part " << part << ", threads " << threads;
        EXPECT_LE(seen.size(), static_cast<std::size_t>(threads));
        if (threads == 1) {
            EXPECT_EQ(seen, std::set{std::this_thread::get_id()});
        }
        EXPECT_EQ(seen.size(), workers.size());
        EXPECT_GE(*workers.begin(), 0);
        EXPECT_LT(*workers.rbegin(), threads);
    }
}
