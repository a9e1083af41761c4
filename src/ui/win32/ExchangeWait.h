#pragma once

namespace corvane::ui::win32 {

// Keeps the program's windows alive while a handler waits for the printer, without a second
// thread: the platform calls KeepWindowsAlive from inside its waits, and the windows' thread then
// takes its messages: paint, what other threads and the system send (accessibility queries, the
// system's check whether the window hangs) and what is posted that is not the user's doing, while
// a busy cursor shows. The user's input (keys, the mouse on a window and on its frame, close
// requests, system commands, posted clicks) is dropped for the length of the exchange, and
// nothing reaches any dialog's logic from inside a wait: no notification, dialog timer or close
// request. The exchange ends when the handler that ran it returns or when its logic opens a
// window of its own (a message box, a file dialog, a modal child), which then works as usual.
class ExchangeWait {
public:
    // The platform's wait hook: starts the exchange at its first call, then delivers what is
    // pending, dropping input.
    static void KeepWindowsAlive();

    // True while messages are delivered from inside a wait: a window hands nothing to its logic
    // then.
    static bool Delivering();

    // True from the first wait of an exchange until it ends: the windows show the busy cursor.
    static bool Running();
    // Shows the busy cursor, for a window the mouse is over during an exchange.
    static void ShowBusyCursor();

    // Ends the exchange, if one runs: input that came meanwhile and dialog timers that came due
    // are dropped, the busy cursor goes. Nothing happens from inside a wait.
    static void End();
};

// Ends the exchange, if one runs, when the handler that it lives in returns.
class ExchangeScope {
public:
    ExchangeScope() = default;
    ~ExchangeScope() { ExchangeWait::End(); }

    ExchangeScope(const ExchangeScope&) = delete;
    ExchangeScope& operator=(const ExchangeScope&) = delete;
};

}  // namespace corvane::ui::win32
