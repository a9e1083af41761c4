#pragma once

#include <memory>
#include <mutex>

#include "platform/ProgramEndWatch.h"

namespace corvane::cli {

// Ends the program on SIGINT, SIGTERM and SIGHUP as the window does (on Windows: Ctrl+C,
// Ctrl+Break, the console closing, the session ending): every print queue that a printer's
// session stopped starts again and every USB printer goes back to its kernel driver
// (service::QueueRegistry), then the program exits with 128 + the signal's number. The sessions may
// be in the middle of an exchange on threads of their own; the platform's end watch hears the
// signals on a thread of its own, which does the restoring.
class QueueWatch {
public:
    // The program's one watch, which lives until the program ends.
    static QueueWatch& Instance();

    // Installs the signal handlers and starts watching; false when signals cannot be caught.
    bool Start();

private:
    QueueWatch() = default;
    // Restores every session's queues and ends the program; called by the watching thread.
    [[noreturn]] void RestoreAndExit(int exitStatus);

    std::mutex lock_;
    std::unique_ptr<platform::ProgramEndWatch> endWatch_;
};

}  // namespace corvane::cli
