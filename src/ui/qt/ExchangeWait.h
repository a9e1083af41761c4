#pragma once

namespace corvane::ui::qt {

// Keeps the program's windows alive while a handler waits for the printer, without a second
// thread: the platform calls KeepWindowsAlive from inside its waits, and the windows then take
// what the window system and assistive tools ask of them (the window manager's ping, exposure,
// repaints, the progress bar, accessibility queries) while a busy cursor shows. Input is
// dropped for the length of the exchange, and nothing reaches any dialog's logic from inside a
// wait: no click, key, accessibility action, close request or dialog timer. The exchange ends
// when the handler that ran it returns or when its logic opens a window of its own (a message
// box, a file dialog, a modal child), which then works as usual.
class ExchangeWait {
public:
    // The platform's wait hook: starts the exchange at its first call, then delivers what is
    // pending, dropping input.
    static void KeepWindowsAlive();

    // True while events are delivered from inside a wait: a window hands nothing to its logic
    // then.
    static bool Delivering();

    // Ends the exchange, if one runs: input that came meanwhile is dropped, the busy cursor goes.
    // Nothing happens from inside a wait.
    static void End();
};

}  // namespace corvane::ui::qt
