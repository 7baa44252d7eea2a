// The two ways a command or a run ends early.
//
// PictaronError carries the message the user sees, worded where the problem is
// found; only the front ends (the windows and the command line) turn it into a
// message box or an exit status. RunCancelled ends a run silently: the user
// pressed Escape, or a step found nothing sensible to do. The second kind is a
// RunDeclined, which carries why: the window ends it as silently as any
// cancel, while the command line, which has no picture to show instead, says
// it. Messages are UTF-8 (components/plaintext.h).
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace pictaron {

class PictaronError : public std::exception {
public:
    explicit PictaronError(std::string message) : message_(std::move(message)) {}

    const std::string& message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The error of a picture too large for memory: it ends a run even where a
// step would otherwise carry on without its change (a failed resize).
class NotEnoughMemory : public PictaronError {
public:
    using PictaronError::PictaronError;
};

class RunCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

class RunDeclined : public RunCancelled {
public:
    // reason: a sentence part in lower case, without a full stop.
    explicit RunDeclined(std::string reason) : reason_(std::move(reason)) {}
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string reason_;
};

} // namespace pictaron
