#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace corvane::ui {

class Dialog;

using ControlId = int;

// What happened to a control, as the dialog logic hears of it.
enum class Notification {
    Clicked,           // button, radio or check box pressed
    SelectionChanged,  // a list's selection changed by the user
    TextChanged,       // an edit field's text changed by the user
    FocusLost,         // the control lost the keyboard focus
};

enum class Icon { None, Exclamation, Information };

// Results a dialog ends with.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// A file type offered by an open or save dialog, such as {"Status Files (*.sts)", "*.sts"}.
struct FileFilter {
    std::string description;
    std::string pattern;
};

// What an open or save dialog shows: its title, the name it offers first, the one file type,
// and the extension added to a name typed without one (none when empty).
struct FileDialogRequest {
    std::string title;
    std::string initialName;
    FileFilter filter;
    std::string defaultExtension;
};

// A dialog's window, as its logic sees it: controls addressed by id, and the application
// services a dialog uses. A Qt host shows real windows; the headless host keeps the state in
// memory for tests. Operations on an id the window lacks do nothing and read as empty.
class DialogHost {
public:
    virtual ~DialogHost() = default;

    virtual void EnableControl(ControlId id, bool enable) = 0;
    virtual bool IsControlEnabled(ControlId id) const = 0;
    virtual void ShowControl(ControlId id, bool show) = 0;
    virtual bool IsControlVisible(ControlId id) const = 0;
    // The caption of a button or label, or the text of an edit field or combo box field.
    virtual void SetControlText(ControlId id, const std::string& text) = 0;
    virtual std::string ControlText(ControlId id) const = 0;
    virtual void SetCheck(ControlId id, bool checked) = 0;
    virtual bool IsChecked(ControlId id) const = 0;

    // Lists (combo boxes and list boxes).
    virtual void ClearItems(ControlId id) = 0;
    virtual void AddItem(ControlId id, const std::string& text) = 0;
    virtual int ItemCount(ControlId id) const = 0;
    virtual std::string ItemText(ControlId id, int index) const = 0;
    // -1 clears the selection.
    virtual void SetSelection(ControlId id, int index) = 0;
    virtual int Selection(ControlId id) const = 0;

    // Progress bars.
    virtual void SetProgressRange(ControlId id, int low, int high) = 0;
    virtual void SetProgress(ControlId id, int position) = 0;
    virtual int Progress(ControlId id) const = 0;

    virtual void SetWindowTitle(const std::string& title) = 0;
    virtual std::string WindowTitle() const = 0;
    virtual void SetTopmost(bool topmost) = 0;
    virtual void CenterWindow() = 0;
    virtual void SetFocus(ControlId id) = 0;
    // Ends the dialog's modal loop (or closes a modeless window) with a result.
    virtual void EndDialog(int result) = 0;

    // Application services.
    virtual void MessageBox(const std::string& text, const std::string& caption, Icon icon) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;
    // Calls the dialog's OnTimer(timerId) after the given time, repeatedly until killed.
    virtual void SetTimer(int timerId, std::chrono::milliseconds interval) = 0;
    virtual void KillTimer(int timerId) = 0;
    // Runs a child dialog modally over this window and returns its result.
    virtual int RunModal(Dialog& child) = 0;
    // Shows a child window without a modal loop; it stays until CloseModeless.
    virtual void ShowModeless(Dialog& child) = 0;
    virtual void CloseModeless(Dialog& child) = 0;
    // Lets the window repaint during a long exchange that blocks the thread.
    virtual void Repaint() = 0;
    // Ends the program through the normal path with an exit code: every window that runs a
    // modal loop ends with kIdCancel, innermost first, as the loops unwind; modeless windows
    // close, timers stop and no notification reaches the logic of a closing window any more.
    // The calling handler runs on to its end after this returns and should return at once; a
    // modal child it starts then returns kIdCancel without opening. The runner of the main
    // window returns exitCode instead of the main dialog's result.
    virtual void QuitProgram(int exitCode) = 0;
};

}  // namespace corvane::ui
