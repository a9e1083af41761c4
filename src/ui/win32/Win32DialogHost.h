#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/WinApi.h"
#include "resources/DialogTemplate.h"
#include "ui/Dialog.h"
#include "ui/DialogHost.h"
#include "ui/win32/ApplicationServices.h"
#include "ui/win32/ControlSet.h"
#include "ui/win32/NotificationRouter.h"

namespace corvane::ui::win32 {

// A real Windows dialog for a dialog's logic: built from the dialog's template as a Windows
// dialog template, it routes what the user does to the logic as notifications and carries out
// the logic's requests on the controls. Modal windows run their own message loop, so that the
// program's end unwinds every loop the normal way. The controls (ControlSet), the notifications
// (NotificationRouter) and the application services (ApplicationServices) each have their own
// class; the host owns the window, its modal loop and the program's end.
class Win32DialogHost final : public DialogHost {
public:
    // Builds the window hidden, attaches itself to the dialog and runs the dialog's
    // initialisation. owner is the window this one belongs to (null for a window of its own).
    Win32DialogHost(Dialog& dialog, HWND owner);
    ~Win32DialogHost() override;

    Win32DialogHost(const Win32DialogHost&) = delete;
    Win32DialogHost& operator=(const Win32DialogHost&) = delete;

    // Shows the window and runs it modally, with its owner disabled, until the dialog ends
    // itself or the program ends; returns the result it ended with.
    int Exec();
    // Shows the window without a modal loop.
    void Show();

    Dialog& GetDialog() const { return dialog_; }
    HWND Window() const { return window_; }
    // The window of a control, or null.
    HWND Control(ControlId id) const { return controls_.Control(id); }
    bool Ended() const { return result_.has_value(); }
    bool Topmost() const;
    // The host of a modeless child that is open, or null.
    Win32DialogHost* ModelessHost(const Dialog& child) const {
        return services_.ModelessHost(child);
    }
    // The host whose window is window, or null.
    static Win32DialogHost* FromWindow(HWND window);
    // The windows of every host that has one on the calling thread.
    static std::vector<HWND> WindowsOfThisThread();
    // Ends the program with exitCode: every window ends, then every loop returns.
    static void EndEveryWindow(int exitCode);

    // DialogHost
    void EnableControl(ControlId id, bool enable) override { controls_.Enable(id, enable); }
    bool IsControlEnabled(ControlId id) const override { return controls_.IsEnabled(id); }
    void ShowControl(ControlId id, bool show) override { controls_.Show(id, show); }
    bool IsControlVisible(ControlId id) const override { return controls_.IsVisible(id); }
    void SetControlText(ControlId id, const std::string& text) override {
        controls_.SetText(id, text);
    }
    std::string ControlText(ControlId id) const override { return controls_.Text(id); }
    void SetCheck(ControlId id, bool checked) override { controls_.SetCheck(id, checked); }
    bool IsChecked(ControlId id) const override { return controls_.IsChecked(id); }
    void ClearItems(ControlId id) override { controls_.ClearItems(id); }
    void AddItem(ControlId id, const std::string& text) override { controls_.AddItem(id, text); }
    int ItemCount(ControlId id) const override { return controls_.ItemCount(id); }
    std::string ItemText(ControlId id, int index) const override {
        return controls_.ItemText(id, index);
    }
    void SetSelection(ControlId id, int index) override { controls_.SetSelection(id, index); }
    int Selection(ControlId id) const override { return controls_.Selection(id); }
    void SetProgressRange(ControlId id, int low, int high) override {
        controls_.SetProgressRange(id, low, high);
    }
    void SetProgress(ControlId id, int position) override { controls_.SetProgress(id, position); }
    int Progress(ControlId id) const override { return controls_.Progress(id); }
    void SetWindowTitle(const std::string& title) override;
    std::string WindowTitle() const override;
    void SetTopmost(bool topmost) override;
    void CenterWindow() override;
    void SetFocus(ControlId id) override;
    void EndDialog(int result) override;
    void MessageBox(const std::string& text, const std::string& caption, Icon icon) override {
        services_.MessageBox(text, caption, icon);
    }
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override {
        return services_.FileDialog(false, request);
    }
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override {
        return services_.FileDialog(true, request);
    }
    void SetTimer(int timerId, std::chrono::milliseconds interval) override {
        services_.SetTimer(timerId, interval);
    }
    void KillTimer(int timerId) override { services_.KillTimer(timerId); }
    int RunModal(Dialog& child) override { return services_.RunModal(child); }
    void ShowModeless(Dialog& child) override { services_.ShowModeless(child); }
    void CloseModeless(Dialog& child) override { services_.CloseModeless(child); }
    void Repaint() override { services_.Repaint(); }
    void QuitProgram(int exitCode) override;

    // Takes Enter before the dialog manager does, as the window decides what Enter presses;
    // true when the message was handled. Called by the message loop for this window's messages.
    bool TranslateEnter(const MSG& message) { return router_.TranslateEnter(message); }

private:
    struct Life {
        bool alive = true;
    };

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Ends this window because the program ends: no timer or notification reaches its logic.
    void EndForQuit();

    Dialog& dialog_;
    HWND owner_;
    HWND window_ = nullptr;
    std::shared_ptr<Life> life_ = std::make_shared<Life>();
    std::optional<int> result_;
    bool inModalLoop_ = false;
    bool positioned_ = false;
    ControlSet controls_;
    ApplicationServices services_;
    NotificationRouter router_;
};

}  // namespace corvane::ui::win32
