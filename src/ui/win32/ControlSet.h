#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win32/WinApi.h"
#include "resources/DialogTemplate.h"
#include "ui/DialogHost.h"

namespace corvane::ui::win32 {

// The text of a window or control; empty for none.
std::wstring WindowText(HWND window);

// The controls of one window, built from its template by the dialog manager: found by id, and
// changed or read the way each kind of control is. An id the window lacks does nothing and reads
// as empty.
class ControlSet {
public:
    explicit ControlSet(const resources::DialogTemplate& dialogTemplate);
    // Deletes the pictures' bitmaps; the window must be gone by then.
    ~ControlSet();

    ControlSet(const ControlSet&) = delete;
    ControlSet& operator=(const ControlSet&) = delete;

    // Takes over the controls of the window just built: keeps their captions, fills the lists
    // with their items and finishes the pictures and progress bars.
    void Attach(HWND window);

    const resources::DialogTemplate& Template() const { return template_; }
    // The window of a control, or null.
    HWND Control(ControlId id) const;
    // The layout of a control with an id, or null.
    const resources::ControlTemplate* Layout(ControlId id) const { return template_.Find(id); }
    // True while the program itself changes a field's text, which is no notification.
    bool SettingText() const { return settingText_; }
    // Shows the chosen item of an editable drop-down list in its field, which the system does
    // only after telling of the choice.
    void ShowChosenItem(HWND combo);
    // True once after Enable moved the focus from the control it disabled to the window itself:
    // the window keeps that focus instead of passing it on.
    bool TakeWindowFocusHold();

    void Enable(ControlId id, bool enable);
    bool IsEnabled(ControlId id) const;
    void Show(ControlId id, bool show);
    bool IsVisible(ControlId id) const;
    void SetText(ControlId id, const std::string& text);
    std::string Text(ControlId id) const;
    void SetCheck(ControlId id, bool checked);
    bool IsChecked(ControlId id) const;
    void ClearItems(ControlId id);
    void AddItem(ControlId id, const std::string& text);
    int ItemCount(ControlId id) const;
    std::string ItemText(ControlId id, int index) const;
    void SetSelection(ControlId id, int index);
    int Selection(ControlId id) const;
    void SetProgressRange(ControlId id, int low, int high);
    void SetProgress(ControlId id, int position);
    int Progress(ControlId id) const;

private:
    // Sets a control's text without the change coming back as the user's.
    void SetTextQuietly(HWND control, const std::wstring& text);

    const resources::DialogTemplate& template_;
    HWND window_ = nullptr;
    std::map<ControlId, std::string> captions_;  // as given, before any escaping
    // While set, a text change is the program's own and no notification.
    bool settingText_ = false;
    // Keeps the keyboard focus on the window itself after the focused control was disabled.
    bool keepFocusOnWindow_ = false;
    std::vector<HBITMAP> bitmaps_;
};

}  // namespace corvane::ui::win32
