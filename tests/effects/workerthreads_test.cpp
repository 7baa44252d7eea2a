#include "effects/workerthreads.h"

#include "effectpictures.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <algorithm>

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

// The variable was read by the toolkit's qEnvironmentVariableIntValue, with
// its prefixes, length limit and white space: every value means what it meant.
TEST(WorkerThreads, CountReadsTheVariableAsTheToolkitDid)
{
    const int hardware = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    for (const char* value :
         {"4", "+4", " 4", "4 ", "\t\r\n5\v\f", "00000000004", " 0000000004", "  +0x1f  ", "0x10", "0X1F", "0xaF",
          "010", "007", "0b11", "0B101", "+0b11", "08", "09", "0o7", "0b2", "0xg", "0x", "0b", "0", "00", "-0", "-4",
          "-0x4", "-0b1", "1e3", "4x", "4.0", "1_0", "+ 4", "- 0x1", "--4", "+-1", "-+1", "0x-1", "0x+1", "0 x1",
          "1 2", "12345678901", "123456789012", "077777777777", "2147483647", "2147483648", "0x7fffffff",
          "0xffffffff", "0x80000000", "   ", "many"}) {
        const ThreadsVariable threads(value);
        bool ok = false;
        const int asked = qEnvironmentVariableIntValue("PICTARON_THREADS", &ok);
        EXPECT_EQ(WorkerThreadCount(), ok && asked > 0 ? std::min(asked, 64) : hardware) << '"' << value << '"';
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
