// SIGINT and SIGTERM on the command line.
//
// Neither signal ends the process: each sets one cancel flag, which a run tests
// between steps and once per row, and which the command line tests again
// after encoding and right before an output is published. Publishing (the
// rename of a finished temporary, or the write of a picture to standard
// output) happens under DeferInterrupts(): a signal that comes meanwhile
// takes effect once it is done, so an output is either not there at all or
// whole, and a folder run stops before its next input.
//
// The signals are blocked in every thread and taken by a thread of their own
// through a signalfd, so a signal never lands on a worker thread between the
// last test of the flag and the rename.
#pragma once

#include "app/progress.h"

#include <mutex>

namespace pictaron {

// Call early in main, before any other thread exists (every later thread
// inherits the blocked signals) and after GuardStandardDescriptors (the
// watch opens a descriptor of its own).
void StartInterruptWatch();

const CancelFlag& InterruptFlag();

// Held while an output is published; call ThrowIfInterrupted() after taking it.
std::unique_lock<std::mutex> DeferInterrupts();

// RunCancelled when a signal has come, also one that the watching thread has
// not taken yet (it is still pending then, and sets the flag here).
void ThrowIfInterrupted();

// While set, the program blocks on reading standard input and has nothing
// open for writing: a signal then ends it at once with status 3.
void SetWaitingForInput(bool waiting);

} // namespace pictaron
