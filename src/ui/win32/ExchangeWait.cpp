#include "ui/win32/ExchangeWait.h"

#include <vector>

#include "ui/win32/Win32DialogHost.h"

namespace corvane::ui::win32 {

namespace {

// The system's busy cursor (IDC_WAIT).
constexpr WORD kBusyCursor = 32514;

// How long one call of the hook may deliver messages before the wait goes on.
constexpr DWORD kDeliveryTimeMs = 20;

struct MessageRange {
    UINT first;
    UINT last;
};

// The messages that are the user's doing: keys, the mouse on a window and on its frame, touch and
// pen, close requests and system commands (which also move and size a window in a loop of their
// own), and the clicks and list openings that assistive tools post to controls.
constexpr MessageRange kUsersDoing[] = {
    {WM_KEYFIRST, WM_KEYLAST},
    {WM_MOUSEFIRST, WM_MOUSELAST},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
    {WM_NCMOUSEHOVER, WM_MOUSELEAVE},
    {WM_TOUCH, WM_POINTERHWHEEL},
    {WM_INPUT, WM_INPUT},
    {WM_GESTURE, WM_GESTURE},
    {WM_CONTEXTMENU, WM_CONTEXTMENU},
    {WM_HOTKEY, WM_HOTKEY},
    {WM_APPCOMMAND, WM_APPCOMMAND},
    {WM_CLOSE, WM_CLOSE},
    {WM_SYSCOMMAND, WM_SYSCOMMAND},
    {BM_CLICK, BM_CLICK},
    {CB_SHOWDROPDOWN, CB_SHOWDROPDOWN},
};

bool IsUsersDoing(UINT message) {
    for (const MessageRange& range : kUsersDoing) {
        if (message >= range.first && message <= range.last) {
            return true;
        }
    }
    return false;
}

struct WaitState {
    bool running = false;
    bool delivering = false;
    DWORD thread = 0;  // the windows' thread, which runs the exchange
    HCURSOR cursorBefore = nullptr;
};

WaitState& State() {
    static WaitState state;
    return state;
}

void Deliver() {
    State().delivering = true;
    const DWORD start = GetTickCount();
    MSG message{};
    // Sent messages (an assistive tool's query, the system's hang check) are handled inside
    // PeekMessage itself; paint comes once nothing else is queued.
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The request to end belongs to the loop that the handler returns to.
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!IsUsersDoing(message.message)) {
            DispatchMessageW(&message);
        }
        if (GetTickCount() - start >= kDeliveryTimeMs) {
            break;
        }
    }
    State().delivering = false;
}

// Drops what the user did that is still queued, and the windows' timers that came due, without
// delivering anything else.
void DropQueuedInput() {
    State().delivering = true;
    MSG message{};
    for (const MessageRange& range : kUsersDoing) {
        while (PeekMessageW(&message, nullptr, range.first, range.last, PM_REMOVE)) {
        }
    }
    for (HWND window : Win32DialogHost::WindowsOfThisThread()) {
        while (PeekMessageW(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
        }
    }
    State().delivering = false;
}

}  // namespace

void ExchangeWait::KeepWindowsAlive() {
    WaitState& state = State();
    if (state.delivering || Win32DialogHost::WindowsOfThisThread().empty()) {
        return;
    }
    if (!state.running) {
        state.running = true;
        state.thread = GetCurrentThreadId();
        state.cursorBefore = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(kBusyCursor)));
    }
    Deliver();
}

bool ExchangeWait::Delivering() {
    return State().delivering;
}

bool ExchangeWait::Running() {
    return State().running;
}

void ExchangeWait::ShowBusyCursor() {
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(kBusyCursor)));
}

void ExchangeWait::End() {
    WaitState& state = State();
    if (!state.running || state.delivering || GetCurrentThreadId() != state.thread) {
        return;
    }
    // What the user did in the last moments of the exchange is still queued: it goes too.
    DropQueuedInput();
    state.running = false;
    SetCursor(state.cursorBefore);
}

}  // namespace corvane::ui::win32
