#include "ui/win32/ControlSet.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/WideText.h"
#include "ui/win32/WidgetFactory.h"
#include "ui/win32/WindowTemplate.h"

namespace corvane::ui::win32 {

using platform::win32::Narrow;
using platform::win32::Widen;
using resources::ControlKind;

namespace {

std::wstring ComboItem(HWND combo, int index) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::wstring ListItem(HWND list, int index) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool IsCombo(ControlKind kind) {
    return kind == ControlKind::DropDownList || kind == ControlKind::DropDownCombo;
}

}  // namespace

std::wstring WindowText(HWND window) {
    if (window == nullptr) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
}

ControlSet::ControlSet(const resources::DialogTemplate& dialogTemplate)
    : template_(dialogTemplate) {}

ControlSet::~ControlSet() {
    for (HBITMAP bitmap : bitmaps_) {
        DeleteObject(bitmap);
    }
}

void ControlSet::Attach(HWND window) {
    window_ = window;
    for (const auto& control : template_.controls) {
        if (control.id == resources::kStaticId) {
            continue;
        }
        captions_[control.id] = control.caption;
        HWND handle = GetDlgItem(window_, control.id);
        if (handle == nullptr) {
            continue;
        }
        switch (control.kind) {
            case ControlKind::DropDownList:
            case ControlKind::DropDownCombo:
            case ControlKind::ListBox:
                for (const auto& item : control.items) {
                    AddItem(control.id, item);
                }
                break;
            default:
                if (HBITMAP bitmap = FinishControl(control, handle)) {
                    bitmaps_.push_back(bitmap);
                }
                break;
        }
    }
}

HWND ControlSet::Control(ControlId id) const {
    if (window_ == nullptr || id == resources::kStaticId) {
        return nullptr;
    }
    return GetDlgItem(window_, id);
}

void ControlSet::ShowChosenItem(HWND combo) {
    const LRESULT chosen = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (chosen != CB_ERR) {
        SetTextQuietly(combo, ComboItem(combo, static_cast<int>(chosen)));
    }
}

bool ControlSet::TakeWindowFocusHold() {
    if (!keepFocusOnWindow_) {
        return false;
    }
    keepFocusOnWindow_ = false;
    return true;
}

void ControlSet::SetTextQuietly(HWND control, const std::wstring& text) {
    const bool before = settingText_;
    settingText_ = true;
    SetWindowTextW(control, text.c_str());
    settingText_ = before;
}

void ControlSet::Enable(ControlId id, bool enable) {
    HWND control = Control(id);
    if (control == nullptr) {
        return;
    }
    // A control that loses its focus by being disabled leaves the focus with the window, so
    // that Enter finds no other button to press in its place.
    if (!enable && GetFocus() == control) {
        keepFocusOnWindow_ = true;
        ::SetFocus(window_);
        keepFocusOnWindow_ = false;
    }
    EnableWindow(control, enable ? TRUE : FALSE);
}

bool ControlSet::IsEnabled(ControlId id) const {
    HWND control = Control(id);
    return control != nullptr && IsWindowEnabled(control) != FALSE;
}

void ControlSet::Show(ControlId id, bool show) {
    if (HWND control = Control(id)) {
        ShowWindow(control, show ? SW_SHOWNA : SW_HIDE);
    }
}

bool ControlSet::IsVisible(ControlId id) const {
    HWND control = Control(id);
    return control != nullptr && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void ControlSet::SetText(ControlId id, const std::string& text) {
    HWND control = Control(id);
    const resources::ControlTemplate* layout = Layout(id);
    if (control == nullptr || layout == nullptr) {
        return;
    }
    switch (layout->kind) {
        case ControlKind::GroupBox:
        case ControlKind::RadioButton:
        case ControlKind::CheckBox:
        case ControlKind::PushButton:
            SetWindowTextW(control, LiteralCaption(text).c_str());
            break;
        case ControlKind::Label:
            SetWindowTextW(control, Widen(text).c_str());
            break;
        case ControlKind::DropDownCombo:
        case ControlKind::Edit:
            SetTextQuietly(control, Widen(text));
            return;
        case ControlKind::DropDownList:
        case ControlKind::ListBox:
        case ControlKind::Picture:
        case ControlKind::ProgressBar:
            return;
    }
    captions_[id] = text;
}

std::string ControlSet::Text(ControlId id) const {
    HWND control = Control(id);
    const resources::ControlTemplate* layout = Layout(id);
    if (control == nullptr || layout == nullptr) {
        return {};
    }
    switch (layout->kind) {
        case ControlKind::DropDownList: {
            const int selected = Selection(id);
            return selected >= 0 ? ItemText(id, selected) : std::string();
        }
        case ControlKind::ListBox: {
            const int selected = Selection(id);
            return selected >= 0 ? ItemText(id, selected) : std::string();
        }
        case ControlKind::DropDownCombo:
        case ControlKind::Edit:
            return Narrow(WindowText(control));
        case ControlKind::Picture:
        case ControlKind::ProgressBar:
            return {};
        default: {
            auto found = captions_.find(id);
            return found == captions_.end() ? std::string() : found->second;
        }
    }
}

void ControlSet::SetCheck(ControlId id, bool checked) {
    if (HWND control = Control(id)) {
        SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

bool ControlSet::IsChecked(ControlId id) const {
    HWND control = Control(id);
    return control != nullptr && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ControlSet::ClearItems(ControlId id) {
    HWND control = Control(id);
    const resources::ControlTemplate* layout = Layout(id);
    if (control == nullptr || layout == nullptr) {
        return;
    }
    if (IsCombo(layout->kind)) {
        SendMessageW(control, CB_RESETCONTENT, 0, 0);
    } else if (layout->kind == ControlKind::ListBox) {
        SendMessageW(control, LB_RESETCONTENT, 0, 0);
    }
}

void ControlSet::AddItem(ControlId id, const std::string& text) {
    HWND control = Control(id);
    const resources::ControlTemplate* layout = Layout(id);
    if (control == nullptr || layout == nullptr) {
        return;
    }
    const std::wstring item = Widen(text);
    if (IsCombo(layout->kind)) {
        SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    } else if (layout->kind == ControlKind::ListBox) {
        SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
}

int ControlSet::ItemCount(ControlId id) const {
    HWND control = Control(id);
    const resources::ControlTemplate* layout = Layout(id);
    if (control == nullptr || layout == nullptr) {
        return 0;
    }
    LRESULT count = 0;
    if (IsCombo(layout->kind)) {
        count = SendMessageW(control, CB_GETCOUNT, 0, 0);
    } else if (layout->kind == ControlKind::ListBox) {
        count = SendMessageW(control, LB_GETCOUNT, 0, 0);
    }
    return count > 0 ? static_cast<int>(count) : 0;
}

std::string ControlSet::ItemText(ControlId id, int index) const {
    HWND control = Control(id);
    const resources::ControlTemplate* layout = Layout(id);
    if (control == nullptr || layout == nullptr || index < 0 || index >= ItemCount(id)) {
        return {};
    }
    if (IsCombo(layout->kind)) {
        return Narrow(ComboItem(control, index));
    }
    if (layout->kind == ControlKind::ListBox) {
        return Narrow(ListItem(control, index));
    }
    return {};
}

void ControlSet::SetSelection(ControlId id, int index) {
    HWND control = Control(id);
    const resources::ControlTemplate* layout = Layout(id);
    if (control == nullptr || layout == nullptr) {
        return;
    }
    const int chosen = index >= 0 && index < ItemCount(id) ? index : -1;
    if (IsCombo(layout->kind)) {
        const bool before = settingText_;
        settingText_ = true;
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
        settingText_ = before;
    } else if (layout->kind == ControlKind::ListBox) {
        SendMessageW(control, LB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    }
}

int ControlSet::Selection(ControlId id) const {
    HWND control = Control(id);
    const resources::ControlTemplate* layout = Layout(id);
    if (control == nullptr || layout == nullptr) {
        return -1;
    }
    switch (layout->kind) {
        case ControlKind::DropDownList: {
            const LRESULT current = SendMessageW(control, CB_GETCURSEL, 0, 0);
            return current == CB_ERR ? -1 : static_cast<int>(current);
        }
        case ControlKind::DropDownCombo: {
            // An editable box has a selection only while its text is exactly one of its items.
            const std::wstring text = WindowText(control);
            const LRESULT current = SendMessageW(control, CB_GETCURSEL, 0, 0);
            if (current != CB_ERR && ComboItem(control, static_cast<int>(current)) == text) {
                return static_cast<int>(current);
            }
            const int count = ItemCount(id);
            for (int i = 0; i < count; ++i) {
                if (ComboItem(control, i) == text) {
                    return i;
                }
            }
            return -1;
        }
        case ControlKind::ListBox: {
            const LRESULT current = SendMessageW(control, LB_GETCURSEL, 0, 0);
            return current == LB_ERR ? -1 : static_cast<int>(current);
        }
        default:
            return -1;
    }
}

void ControlSet::SetProgressRange(ControlId id, int low, int high) {
    if (HWND bar = Control(id)) {
        SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(low),
                     static_cast<LPARAM>(std::max(low, high)));
    }
}

void ControlSet::SetProgress(ControlId id, int position) {
    if (HWND bar = Control(id)) {
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        // Painted at once, so that every step shows even where no wait for the printer follows it.
        if (IsWindowVisible(bar)) {
            UpdateWindow(bar);
        }
    }
}

int ControlSet::Progress(ControlId id) const {
    HWND bar = Control(id);
    return bar == nullptr ? 0 : static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
}

}  // namespace corvane::ui::win32
