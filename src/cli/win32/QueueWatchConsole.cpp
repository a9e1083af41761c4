// How the queue watch hears the end of the program on Windows: the console's control handler,
// which Windows runs on a thread of its own, so the handler itself does the restoring.
#include "cli/QueueWatch.h"
#include "platform/win32/WinApi.h"

namespace corvane::cli {

namespace {

BOOL WINAPI OnConsoleControl(DWORD event) {
    // The exit statuses of the signals that stand for these events on Linux.
    constexpr int kInterrupted = 128 + 2;
    constexpr int kHungUp = 128 + 1;
    constexpr int kTerminated = 128 + 15;
    switch (event) {
        case CTRL_C_EVENT:
            QueueWatch::Instance().RestoreAndExit(kInterrupted);
        case CTRL_CLOSE_EVENT:
            QueueWatch::Instance().RestoreAndExit(kHungUp);
        case CTRL_BREAK_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            QueueWatch::Instance().RestoreAndExit(kTerminated);
        default:
            return FALSE;
    }
}

}  // namespace

bool QueueWatch::StartWatching() {
    return SetConsoleCtrlHandler(OnConsoleControl, TRUE) != FALSE;
}

}  // namespace corvane::cli
