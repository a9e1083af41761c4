#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/win32/WinApi.h"

namespace corvane::ui::win32 {

// Runs work on the windows' thread for other threads (a console's control event, the end of the
// session), from whichever message loop that thread is in: a window's, a message box's, a file
// dialog's, or a wait for the printer (ExchangeWait). Work that must not cut into an exchange
// waits until the exchange has ended, as a click would.
class WindowThreadCall {
public:
    enum class During {
        Anything,    // may run from inside a wait for the printer
        NoExchange,  // waits until no exchange waits for the printer
    };

    // Made on the windows' thread, which it serves from then on.
    WindowThreadCall();
    // Stops serving; work that has not run is dropped.
    ~WindowThreadCall();

    WindowThreadCall(const WindowThreadCall&) = delete;
    WindowThreadCall& operator=(const WindowThreadCall&) = delete;

    // Queues work for the windows' thread and returns at once.
    void Post(std::function<void()> work, During during);
    // Queues work and waits until it has run; false when it never will, as the windows' thread
    // stopped serving (Close).
    bool Run(std::function<void()> work, During during);
    // Stops serving: work that has not run is dropped and every Run returns. Called on the
    // windows' thread once it runs no more message loops, before anything a waiting Run holds
    // is waited for.
    void Close();

private:
    struct Work {
        std::function<void()> run;
        During during;
        bool* done;  // set once run, for Run; null for Post
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Queue(Work work);
    // Runs the queued work that may run now; the rest waits for a timer's tick.
    void Serve();

    HWND window_ = nullptr;
    std::mutex lock_;
    std::condition_variable ran_;
    std::vector<Work> queued_;
    bool closed_ = false;
};

}  // namespace corvane::ui::win32
