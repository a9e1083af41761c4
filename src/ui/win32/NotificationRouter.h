#pragma once

#include "platform/win32/WinApi.h"
#include "ui/DialogHost.h"

namespace corvane::ui::win32 {

class ApplicationServices;
class ControlSet;
class Win32DialogHost;

// Turns the messages of a window into notifications for its dialog logic: clicks, choices in
// lists, typing, focus leaving a field or list, timers, Enter, Escape and the close box.
// Nothing reaches the logic once the window has ended or its dialog has left it, nor from inside
// a wait for the printer (ExchangeWait); an exchange that a handler ran ends when it returns.
class NotificationRouter {
public:
    NotificationRouter(Win32DialogHost& host, ControlSet& controls,
                       const ApplicationServices& services);

    NotificationRouter(const NotificationRouter&) = delete;
    NotificationRouter& operator=(const NotificationRouter&) = delete;

    // Handles a message of the window's dialog procedure and returns what the procedure
    // returns. The logic may close the very window; nothing here touches it after that.
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Takes Enter before the dialog manager does, as the window decides what Enter presses;
    // true when the message was handled.
    bool TranslateEnter(const MSG& message);

private:
    void Command(int id, int code, HWND control);
    void Notify(ControlId id, Notification notification);
    void Cancel();
    // Whether the dialog logic is still the window's.
    bool LogicAttached() const;

    Win32DialogHost& host_;
    ControlSet& controls_;
    const ApplicationServices& services_;
};

}  // namespace corvane::ui::win32
