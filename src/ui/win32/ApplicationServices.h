#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/win32/WinApi.h"
#include "ui/Dialog.h"
#include "ui/DialogHost.h"

namespace corvane::ui::win32 {

class Win32DialogHost;

// What a window offers its dialog logic besides its controls: message boxes, file dialogs,
// timers, child windows run modally or shown modeless, and repainting during a long exchange.
// Once the program is ending, no box, file dialog or child window opens any more.
class ApplicationServices {
public:
    explicit ApplicationServices(Win32DialogHost& host);
    ~ApplicationServices();

    ApplicationServices(const ApplicationServices&) = delete;
    ApplicationServices& operator=(const ApplicationServices&) = delete;

    void MessageBox(const std::string& text, const std::string& caption, Icon icon);
    std::optional<std::string> FileDialog(bool save, const FileDialogRequest& request);
    void SetTimer(int timerId, std::chrono::milliseconds interval);
    void KillTimer(int timerId);
    // Whether a timer the logic set is running, so that a tick of a killed one is dropped.
    bool TimerRunning(int timerId) const { return timers_.count(timerId) != 0; }
    // Stops every timer for good.
    void StopTimers();
    int RunModal(Dialog& child);
    void ShowModeless(Dialog& child);
    void CloseModeless(Dialog& child);
    // Closes every modeless child.
    void CloseAllModeless() { modeless_.clear(); }
    Win32DialogHost* ModelessHost(const Dialog& child) const;
    void Repaint();

private:
    Win32DialogHost& host_;
    std::set<int> timers_;
    std::map<const Dialog*, std::unique_ptr<Win32DialogHost>> modeless_;
};

}  // namespace corvane::ui::win32
