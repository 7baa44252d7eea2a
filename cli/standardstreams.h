// Standard input, output and error as pictaron-cli uses them: "-" as an input
// reads the picture from standard input, "-o -" writes it to standard output,
// and reports go to whichever of output and error the picture leaves free.
#pragma once

#include "components/errors.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pictaron {

// "-", the name of standard input as an INPUT and of standard output as -o.
bool IsStandardStream(std::string_view name);

// Opens /dev/null on each of descriptors 0, 1 and 2 that the caller left
// closed, so that no file the run opens takes its number and receives what
// was meant for the stream; remembers which were closed. Call first in main.
void GuardStandardDescriptors();
bool StandardInputClosed();
bool StandardOutputClosed();

// Writing to a stream failed: a full disk behind it, a reader gone. The run
// stops, since nothing more it prints would arrive.
class StreamWriteError : public PictaronError {
public:
    using PictaronError::PictaronError;
};

// The whole of standard input. Throws PictaronError when it is closed, cannot
// be read, or holds more than limit bytes (nothing more is read then).
std::string ReadStandardInput(std::int64_t limit);

// Every byte to descriptor fd (1 or 2), retrying short writes; throws
// StreamWriteError naming the stream and the reason.
void WriteToStream(int fd, std::string_view bytes);

} // namespace pictaron
