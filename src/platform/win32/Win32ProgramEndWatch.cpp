// How Windows asks a program to end: the console's control events, which Windows hands to a
// thread it starts for them, and the end of the session, which it tells to top-level windows.
#include "platform/ProgramEndWatch.h"
#include "platform/win32/WinApi.h"

#include <future>
#include <thread>

namespace corvane::platform {

namespace {

// The exit statuses of the signals that stand for these events on Linux.
constexpr int kHungUp = 128 + 1;
constexpr int kInterrupted = 128 + 2;
constexpr int kTerminated = 128 + 15;

constexpr wchar_t kSessionWindowClass[] = L"CorvaneSessionEndWatch";

bool consoleInstalled = false;
bool consoleHeard = false;
bool sessionWatched = false;
bool sessionHeard = false;

BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            ProgramEndWatch::DeliverWhenWatched({EndCause::Interrupt, kInterrupted});
            return TRUE;
        case CTRL_BREAK_EVENT:
            ProgramEndWatch::DeliverWhenWatched({EndCause::Terminate, kTerminated});
            return TRUE;
        // Windows ends the program once these return.
        case CTRL_CLOSE_EVENT:
            ProgramEndWatch::DeliverWhenWatched({EndCause::HangUp, kHungUp, true});
            return TRUE;
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            ProgramEndWatch::DeliverWhenWatched({EndCause::Terminate, kTerminated, true});
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
            ProgramEndWatch::Deliver({EndCause::SessionEnd, kTerminated, true});
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window, on a thread of its own that does nothing but run its message loop:
// the session's end is told to top-level windows only, whichever of the program's windows is
// open and whatever its own threads are doing, a console program's included.
bool WatchSessionEnd() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = SessionWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kSessionWindowClass;
    RegisterClassW(&windowClass);
    std::promise<bool> made;
    std::future<bool> madeResult = made.get_future();
    std::thread([&made] {
        HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kSessionWindowClass, L"", WS_POPUP, 0, 0, 0,
                                      0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        made.set_value(window != nullptr);
        if (window == nullptr) {
            return;
        }
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            DispatchMessageW(&message);
        }
    }).detach();
    return madeResult.get();
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
        if (!sessionWatched) {
            sessionWatched = true;
            sessionHeard = WatchSessionEnd();
        }
        heard = heard && sessionHeard;
    }
    return heard;
}

}  // namespace corvane::platform
