#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ui/Dialog.h"
#include "ui/DialogHost.h"
#include "ui/qt/HandlerScope.h"

class QTimer;
class QWidget;

namespace corvane::ui::qt {

class QtDialogHost;
class TemplateWindow;

// What a window offers its dialog logic besides its controls: message boxes, file dialogs,
// timers, child windows run modally or shown modeless, and repainting during a long exchange.
// The window gets the keyboard back after each box, file dialog or modal child it opened.
class ApplicationServices {
public:
    ApplicationServices(QtDialogHost& host, TemplateWindow& window,
                        std::shared_ptr<WindowLife> life);
    ~ApplicationServices();

    ApplicationServices(const ApplicationServices&) = delete;
    ApplicationServices& operator=(const ApplicationServices&) = delete;

    void MessageBox(const std::string& text, const std::string& caption, Icon icon);
    std::optional<std::string> FileDialog(bool save, const FileDialogRequest& request);
    void SetTimer(int timerId, std::chrono::milliseconds interval);
    void KillTimer(int timerId);
    // Stops every timer for good.
    void StopTimers();
    int RunModal(Dialog& child);
    void ShowModeless(Dialog& child);
    void CloseModeless(Dialog& child);
    // Closes every modeless child.
    void CloseAllModeless();
    QtDialogHost* ModelessHost(const Dialog& child) const;
    void Repaint();

private:
    void ReturnFocus(QWidget* focusBefore);

    QtDialogHost& host_;
    TemplateWindow& window_;
    std::shared_ptr<WindowLife> life_;
    std::map<int, QTimer*> timers_;
    std::map<const Dialog*, std::unique_ptr<QtDialogHost>> modeless_;
};

}  // namespace corvane::ui::qt
