#pragma once

namespace corvane::cli {

// Ends the program on SIGINT, SIGTERM and SIGHUP as the window does (on Windows: Ctrl+C,
// Ctrl+Break, the console closing, the session ending): every print queue that a printer's
// session stopped starts again (service::QueueRegistry), then the program exits with 128 + the
// signal's number. How the signals are heard is the system's part (cli/posix, cli/win32).
class QueueWatch {
public:
    // The program's one watch, which lives until the program ends.
    static QueueWatch& Instance();

    // Installs the signal handlers and starts watching; false when signals cannot be caught.
    bool Start();

    // Restores every session's queues and ends the program; called by the watching thread.
    [[noreturn]] void RestoreAndExit(int exitStatus);

private:
    QueueWatch() = default;
    // Starts hearing the signals; each system's own file defines it.
    bool StartWatching();

    bool started_ = false;
};

}  // namespace corvane::cli
