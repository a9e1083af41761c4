// How Windows asks a program to end: the console's control events, which Windows hands to a
// thread it starts for them, and the end of the session, which it tells to top-level windows.
#include "platform/ProgramEndWatch.h"
#include "platform/win32/WinApi.h"

namespace corvane::platform {

namespace {

// The exit statuses of the signals that stand for these events on Linux.
constexpr int kHungUp = 128 + 1;
constexpr int kInterrupted = 128 + 2;
constexpr int kTerminated = 128 + 15;

constexpr wchar_t kSessionWindowClass[] = L"CorvaneSessionEndWatch";

bool consoleInstalled = false;
bool consoleHeard = false;
HWND sessionWindow = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            ProgramEndWatch::DeliverWhenWatched({EndCause::Interrupt, kInterrupted});
            return TRUE;
        case CTRL_CLOSE_EVENT:
            ProgramEndWatch::DeliverWhenWatched({EndCause::HangUp, kHungUp});
            return TRUE;
        case CTRL_BREAK_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            ProgramEndWatch::DeliverWhenWatched({EndCause::Terminate, kTerminated});
            return TRUE;
        default:
            return FALSE;
    }
}

LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        return TRUE;
    }
    if (message == WM_ENDSESSION) {
        if (wParam != FALSE) {
            ProgramEndWatch::Deliver({EndCause::SessionEnd, kTerminated});
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool MakeSessionWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = SessionWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kSessionWindowClass;
    RegisterClassW(&windowClass);
    // A top-level window, hidden: the session's end is told to top-level windows only, whichever
    // of the program's windows is open.
    sessionWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kSessionWindowClass, L"", WS_POPUP, 0, 0, 0,
                                    0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return sessionWindow != nullptr;
}

}  // namespace

bool ProgramEndWatch::Install(EndSources sources) {
    bool heard = true;
    if (sources.terminationSignals) {
        if (!consoleInstalled) {
            consoleInstalled = true;
            consoleHeard = SetConsoleCtrlHandler(OnConsoleControl, TRUE) != FALSE;
        }
        heard = heard && consoleHeard;
    }
    if (sources.sessionEnd) {
        if (sessionWindow == nullptr) {
            MakeSessionWindow();
        }
        heard = heard && sessionWindow != nullptr;
    }
    return heard;
}

}  // namespace corvane::platform
