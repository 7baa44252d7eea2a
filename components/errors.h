// The two ways a command or a run ends early.
//
// PictaronError carries the message the user sees, worded where the problem is
// found; only the front ends (the windows and the command line) turn it into a
// message box or an exit status. RunCancelled ends a run silently: the user
// pressed Escape, or a step found nothing sensible to do.
#pragma once

#include <QString>

#include <exception>
#include <string>

namespace pictaron {

class PictaronError : public std::exception {
public:
    explicit PictaronError(QString message)
        : message_(std::move(message)), utf8_(message_.toStdString()) {}

    const QString& message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

class RunCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

} // namespace pictaron
