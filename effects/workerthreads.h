// How many threads per-row work may use, and running independent parts on them.
//
// Every threaded step asks here, so PICTARON_THREADS holds the whole engine to
// one count: a positive number is taken as given, anything else means the
// hardware threads, at most eight. One means no worker threads at all. The
// same count is how many pictures pictaron-cli converts at once unless --jobs
// says; with several at once, each converts on its own thread alone
// (LimitWorkerThreads(1)), so the threads in use stay that count.
#pragma once

#include <functional>

namespace pictaron {

int WorkerThreadCount();

// From now on WorkerThreadCount() gives at most count (at least 1).
void LimitWorkerThreads(int count);

// Calls work(part, worker) once for every part in 0..parts - 1 on up to
// `threads` threads, the caller's among them, and returns when all are done;
// worker, below threads, names the thread, for scratch memory of its own.
// Parts must share nothing they write; work must not throw.
void ForEachPart(int parts, int threads, const std::function<void(int part, int worker)>& work);

} // namespace pictaron
