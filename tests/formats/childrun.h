// Running a program as a child process under a watchdog, with its peak memory.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pictaron::testpictures {

struct ChildRun {
    bool finished = false;  // false: the watchdog ended it
    int status = -1;        // exit status, when it exited
    int signal = 0;         // the signal that ended it, when one did
    QByteArray out;         // standard output
    long peakKiB = 0;       // its largest resident size
};

// Runs program with arguments and extra "NAME=value" environment entries;
// one that has not ended after a long wait is killed and reported unfinished.
ChildRun RunChild(const QString& program, const QStringList& arguments, const QStringList& environment = {});

// The path of the test's loader process (loadprobe.cpp).
QString LoadProbe();

} // namespace pictaron::testpictures
