#include "cli/interrupts.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

#include <poll.h>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace pictaron {

namespace {

CancelFlag gInterrupted;
std::mutex gPublishing;
std::atomic<bool> gWaitingForInput{false};

sigset_t InterruptSignals()
{
    sigset_t watched;
    sigemptyset(&watched);
    sigaddset(&watched, SIGINT);
    sigaddset(&watched, SIGTERM);
    return watched;
}

// The flag is set while the signal is still pending and only then is the
// signal taken: a check of the flag and of the pending signals together never
// misses one, whichever thread runs first.
[[noreturn]] void WatchSignals(int descriptor)
{
    for (;;) {
        pollfd ready{descriptor, POLLIN, 0};
        if (poll(&ready, 1, -1) <= 0)
            continue;
        gInterrupted.Cancel();
        signalfd_siginfo taken;
        [[maybe_unused]] const ssize_t read = ::read(descriptor, &taken, sizeof taken);
        // Never while an output is published: the reader holds the lock then.
        const std::lock_guard<std::mutex> lock(gPublishing);
        if (gWaitingForInput.load()) {
            static const char message[] = "pictaron-cli: interrupted while reading standard input; nothing written.\n";
            [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
            _exit(3);
        }
    }
}

} // namespace

void StartInterruptWatch()
{
    const sigset_t watched = InterruptSignals();
    pthread_sigmask(SIG_BLOCK, &watched, nullptr);
    const int descriptor = signalfd(-1, &watched, SFD_CLOEXEC);
    if (descriptor >= 0)
        std::thread(WatchSignals, descriptor).detach();
    else  // nothing could take them: they end the program, as by default
        pthread_sigmask(SIG_UNBLOCK, &watched, nullptr);
}

const CancelFlag& InterruptFlag()
{
    return gInterrupted;
}

std::unique_lock<std::mutex> DeferInterrupts()
{
    return std::unique_lock<std::mutex>(gPublishing);
}

void ThrowIfInterrupted()
{
    sigset_t pending;
    sigemptyset(&pending);
    if (sigpending(&pending) == 0 && (sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1))
        gInterrupted.Cancel();
    gInterrupted.ThrowIfCancelled();
}

void SetWaitingForInput(bool waiting)
{
    gWaitingForInput.store(waiting);
}

} // namespace pictaron
