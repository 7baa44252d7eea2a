// Helpers shared by the fuzz targets: the readers under test take file names,
// so each input goes into a file of its own process's private folder (on a
// memory file system where there is one), and a target's findings end the run
// with abort(), which libFuzzer reports as a crash with the input that caused it.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace pictaron::fuzz {

// Writes the bytes to a file named "input.<extension>" (no dot for an empty
// extension) in a folder made once for this process, and returns its path.
QString WriteInputFile(const std::uint8_t* data, std::size_t size, const QString& extension);

// A refusal the target expects; printed to stderr when PICTARON_FUZZ_VERBOSE
// is set, to see what a reader said about an input being replayed.
void Refused(const char* how, const QString& message);

// Prints the reason to stderr and aborts.
[[noreturn]] void Fail(const char* what, const QString& detail = QString());

} // namespace pictaron::fuzz
