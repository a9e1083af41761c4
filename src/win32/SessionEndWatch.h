#pragma once

#include <functional>

#include "platform/win32/WinApi.h"

namespace corvane::win32 {

// Hears of the end of the Windows session (log-off, shut-down), after which Windows ends the
// program without running it any further: the callback runs then, while the program still can,
// so that it can put back what it changed in the system. A hidden window of its own receives the
// news, whichever of the program's windows is open.
class SessionEndWatch {
public:
    explicit SessionEndWatch(std::function<void()> onSessionEnd);
    ~SessionEndWatch();

    SessionEndWatch(const SessionEndWatch&) = delete;
    SessionEndWatch& operator=(const SessionEndWatch&) = delete;

    HWND Window() const { return window_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> onSessionEnd_;
    HWND window_ = nullptr;
};

}  // namespace corvane::win32
