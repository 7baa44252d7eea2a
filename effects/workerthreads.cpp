#include "effects/workerthreads.h"

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace pictaron {

namespace {

std::atomic<int> gLimit = 64;

} // namespace

int WorkerThreadCount()
{
    bool ok = false;
    const int asked = qEnvironmentVariableIntValue("PICTARON_THREADS", &ok);
    const int count = ok && asked > 0 ? asked : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    return std::min(count, gLimit.load());
}

void LimitWorkerThreads(int count)
{
    gLimit = std::clamp(count, 1, 64);
}

void ForEachPart(int parts, int threads, const std::function<void(int part, int worker)>& work)
{
    // Parts are handed out one at a time, so uneven parts still keep every
    // thread busy to the end.
    std::atomic<int> next = 0;
    const auto drain = [&](int worker) {
        for (int part = next++; part < parts; part = next++)
            work(part, worker);
    };
    std::vector<std::jthread> helpers;
    for (int worker = 1; worker < std::min(threads, parts); ++worker)
        helpers.emplace_back(drain, worker);
    drain(0);
}

} // namespace pictaron
