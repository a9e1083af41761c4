#include "win32/SessionEndWatch.h"

#include <utility>

namespace corvane::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"CorvaneSessionEndWatch";

}  // namespace

SessionEndWatch::SessionEndWatch(std::function<void()> onSessionEnd)
    : onSessionEnd_(std::move(onSessionEnd)) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);
    // A top-level window, hidden: the session's end is told to top-level windows only.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
}

SessionEndWatch::~SessionEndWatch() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK SessionEndWatch::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* watch = reinterpret_cast<SessionEndWatch*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_QUERYENDSESSION) {
        return TRUE;
    }
    if (message == WM_ENDSESSION) {
        if (wParam != FALSE && watch != nullptr && watch->onSessionEnd_) {
            watch->onSessionEnd_();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace corvane::win32
