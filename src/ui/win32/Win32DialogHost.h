#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/WinApi.h"
#include "resources/DialogTemplate.h"
#include "ui/Dialog.h"
#include "ui/DialogHost.h"

namespace corvane::ui::win32 {

// A real Windows dialog for a dialog's logic: built from the dialog's template as a Windows
// dialog template, it routes what the user does to the logic as notifications and carries out
// the logic's requests on the controls. Modal windows run their own message loop, so that the
// program's end unwinds every loop the normal way.
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
    HWND Control(ControlId id) const;
    bool Ended() const { return result_.has_value(); }
    bool Topmost() const;
    // The host of a modeless child that is open, or null.
    Win32DialogHost* ModelessHost(const Dialog& child) const;
    // The host whose window is window, or null.
    static Win32DialogHost* FromWindow(HWND window);

    // DialogHost
    void EnableControl(ControlId id, bool enable) override;
    bool IsControlEnabled(ControlId id) const override;
    void ShowControl(ControlId id, bool show) override;
    bool IsControlVisible(ControlId id) const override;
    void SetControlText(ControlId id, const std::string& text) override;
    std::string ControlText(ControlId id) const override;
    void SetCheck(ControlId id, bool checked) override;
    bool IsChecked(ControlId id) const override;
    void ClearItems(ControlId id) override;
    void AddItem(ControlId id, const std::string& text) override;
    int ItemCount(ControlId id) const override;
    std::string ItemText(ControlId id, int index) const override;
    void SetSelection(ControlId id, int index) override;
    int Selection(ControlId id) const override;
    void SetProgressRange(ControlId id, int low, int high) override;
    void SetProgress(ControlId id, int position) override;
    int Progress(ControlId id) const override;
    void SetWindowTitle(const std::string& title) override;
    std::string WindowTitle() const override;
    void SetTopmost(bool topmost) override;
    void CenterWindow() override;
    void SetFocus(ControlId id) override;
    void EndDialog(int result) override;
    void MessageBox(const std::string& text, const std::string& caption, Icon icon) override;
    std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
    void SetTimer(int timerId, std::chrono::milliseconds interval) override;
    void KillTimer(int timerId) override;
    int RunModal(Dialog& child) override;
    void ShowModeless(Dialog& child) override;
    void CloseModeless(Dialog& child) override;
    void Repaint() override;
    void QuitProgram(int exitCode) override;

    // Takes Enter before the dialog manager does, as the window decides what Enter presses;
    // true when the message was handled. Called by the message loop for this window's messages.
    bool TranslateEnter(const MSG& message);

private:
    struct Life {
        bool alive = true;
    };

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Initialise(HWND window);
    void Command(int id, int code, HWND control);
    void Notify(ControlId id, Notification notification);
    void Cancel();
    // Ends this window because the program ends: no timer or notification reaches its logic.
    void EndForQuit();
    const resources::ControlTemplate* Layout(ControlId id) const;
    // Sets a control's text without the change coming back as the user's.
    void SetTextQuietly(HWND control, const std::wstring& text);
    std::optional<std::string> FileDialog(bool save, const FileDialogRequest& request);

    Dialog& dialog_;
    const resources::DialogTemplate& template_;
    HWND owner_;
    HWND window_ = nullptr;
    std::shared_ptr<Life> life_ = std::make_shared<Life>();
    std::optional<int> result_;
    bool inModalLoop_ = false;
    bool positioned_ = false;
    // While set, a text change is the program's own and no notification.
    bool settingText_ = false;
    // Keeps the keyboard focus on the window itself after the focused control was disabled.
    bool keepFocusOnWindow_ = false;
    std::map<ControlId, std::string> captions_;  // as given, before any escaping
    std::set<int> timers_;
    std::vector<HBITMAP> bitmaps_;
    std::map<const Dialog*, std::unique_ptr<Win32DialogHost>> modeless_;
};

}  // namespace corvane::ui::win32
