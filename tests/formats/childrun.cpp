#include "childrun.h"

#include <QFile>
#include <QTemporaryFile>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace pictaron::testpictures {

ChildRun RunChild(const QString& program, const QStringList& arguments, const QStringList& environment)
{
    ChildRun run;
    QTemporaryFile output;
    if (!output.open())
        return run;
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument));
    // The whole environment is made here: between fork and exec only calls
    // that take no lock are safe.
    std::vector<QByteArray> settings;
    for (const QString& entry : environment)
        settings.push_back(entry.toLocal8Bit());
    for (char** entry = environ; *entry; ++entry) {
        const QByteArray setting(*entry);
        const QByteArray name = setting.left(setting.indexOf('=') + 1);
        if (std::none_of(settings.begin(), settings.end(), [&](const QByteArray& s) { return s.startsWith(name); }))
            settings.push_back(setting);
    }
    std::vector<char*> argv, envp;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    for (QByteArray& setting : settings)
        envp.push_back(setting.data());
    envp.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(output.handle(), STDOUT_FILENO);
        ::execvpe(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (child < 0)
        return run;
    int status = 0;
    rusage usage{};
    // The watchdog: ten minutes, far beyond any run under valgrind.
    for (int waited = 0;; ++waited) {
        const pid_t ended = ::wait4(child, &status, WNOHANG, &usage);
        if (ended == child) {
            run.finished = true;
            break;
        }
        if (waited == 6000) {
            ::kill(child, SIGKILL);
            ::wait4(child, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    run.peakKiB = usage.ru_maxrss;
    output.seek(0);
    run.out = output.readAll();
    return run;
}

QString LoadProbe()
{
    return QStringLiteral(PICTARON_LOADPROBE);
}

} // namespace pictaron::testpictures
