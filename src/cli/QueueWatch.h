#pragma once

#include <memory>
#include <mutex>
#include <set>

#include "platform/ProgramEndWatch.h"

namespace corvane::cli {

// Something that keeps print queues stopped and can start them again from another thread.
class QueueHolder {
public:
    virtual ~QueueHolder() = default;
    virtual void RestoreQueuesNow() = 0;
};

// Ends the program on SIGINT, SIGTERM and SIGHUP as the window does (on Windows: Ctrl+C,
// Ctrl+Break, the console closing, the session ending): every print queue that a printer's
// session stopped starts again, then the program exits with 128 + the signal's number. The
// sessions may be in the middle of an exchange on threads of their own; a thread that watches
// the signals does the restoring, taking each session's queue table only while no connect is
// changing it. The platform's end watch hears the signals.
class QueueWatch {
public:
    // The program's one watch, which lives until the program ends.
    static QueueWatch& Instance();

    // Installs the signal handlers and starts watching; false when signals cannot be caught.
    bool Start();

    void Add(QueueHolder& holder);
    void Remove(QueueHolder& holder);

private:
    QueueWatch() = default;
    // Restores every session's queues and ends the program; called by the watching thread.
    [[noreturn]] void RestoreAndExit(int exitStatus);

    std::mutex lock_;
    std::set<QueueHolder*> holders_;
    std::unique_ptr<platform::ProgramEndWatch> endWatch_;
};

}  // namespace corvane::cli
