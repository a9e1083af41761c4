#include "ui/win32/WindowThreadCall.h"

#include <utility>

#include "ui/win32/ExchangeWait.h"

namespace corvane::ui::win32 {

namespace {

constexpr wchar_t kWindowClass[] = L"CorvaneWindowThreadCall";
constexpr UINT kServeMessage = WM_APP + 1;
// Work held back by an exchange looks again this often; the exchange calls the wait hook as
// often.
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMs = 50;

}  // namespace

WindowThreadCall::WindowThreadCall() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    // A second object finds the class there already.
    RegisterClassW(&windowClass);
    // A message-only window: nobody sees it, and every message loop of the thread dispatches to
    // it, a message box's too.
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

WindowThreadCall::~WindowThreadCall() {
    Close();
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void WindowThreadCall::Post(std::function<void()> work, During during) {
    Queue({std::move(work), during, nullptr});
}

bool WindowThreadCall::Run(std::function<void()> work, During during) {
    if (window_ != nullptr && GetWindowThreadProcessId(window_, nullptr) == GetCurrentThreadId()) {
        work();
        return true;
    }
    bool done = false;
    std::unique_lock<std::mutex> hold(lock_);
    if (closed_ || window_ == nullptr) {
        return false;
    }
    queued_.push_back({std::move(work), during, &done});
    PostMessageW(window_, kServeMessage, 0, 0);
    ran_.wait(hold, [&] { return done || closed_; });
    return done;
}

void WindowThreadCall::Close() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        closed_ = true;
        queued_.clear();
    }
    ran_.notify_all();
}

void WindowThreadCall::Queue(Work work) {
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_ || window_ == nullptr) {
        return;
    }
    queued_.push_back(std::move(work));
    PostMessageW(window_, kServeMessage, 0, 0);
}

void WindowThreadCall::Serve() {
    std::vector<Work> now;
    {
        std::lock_guard<std::mutex> hold(lock_);
        const bool inExchange = ExchangeWait::Delivering();
        for (auto it = queued_.begin(); it != queued_.end();) {
            if (!inExchange || it->during == During::Anything) {
                now.push_back(std::move(*it));
                it = queued_.erase(it);
            } else {
                ++it;
            }
        }
        if (!queued_.empty()) {
            SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
        }
    }
    for (Work& work : now) {
        work.run();
        std::lock_guard<std::mutex> hold(lock_);
        // A Run that saw the object close has stopped waiting for its flag.
        if (work.done != nullptr && !closed_) {
            *work.done = true;
        }
    }
    ran_.notify_all();
}

LRESULT CALLBACK WindowThreadCall::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* call = reinterpret_cast<WindowThreadCall*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (call != nullptr && message == kServeMessage) {
        call->Serve();
        return 0;
    }
    if (call != nullptr && message == WM_TIMER && wParam == kRetryTimer) {
        KillTimer(window, kRetryTimer);
        call->Serve();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace corvane::ui::win32
