#include "ui/win32/Win32DialogHost.h"

#include <commctrl.h>
#include <commdlg.h>
#include <uxtheme.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/win32/WideText.h"
#include "ui/win32/PictureBitmap.h"
#include "ui/win32/ProgramEnd.h"
#include "ui/win32/WindowTemplate.h"

namespace corvane::ui::win32 {

using platform::win32::Narrow;
using platform::win32::Widen;
using resources::ControlKind;

namespace {

// Posted when a field or list lost the focus, so that the new focus is known when it arrives.
constexpr UINT kFocusLostMessage = WM_APP + 1;

// The caption of a message box that names none.
constexpr wchar_t kProgramTitle[] = L"Corvane Manager";

// Every host whose window exists, oldest first, so that ending the program reaches them all.
std::vector<Win32DialogHost*>& LiveHosts() {
    static std::vector<Win32DialogHost*> hosts;
    return hosts;
}

void LoadCommonControls() {
    static const bool loaded = [] {
        INITCOMMONCONTROLSEX classes{};
        classes.dwSize = sizeof(classes);
        classes.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)loaded;
}

std::wstring WindowText(HWND window) {
    if (window == nullptr) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    return text;
}

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

// The message loop of a modal window: Enter and the dialog keys go to the window they were
// typed in, everything else is dispatched as usual.
void Dispatch(MSG& message) {
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (Win32DialogHost* host = Win32DialogHost::FromWindow(root)) {
        if (host->TranslateEnter(message) || IsDialogMessageW(root, &message)) {
            return;
        }
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

// Ends the message boxes and file dialogs that are open over the program's windows.
BOOL CALLBACK EndForeignDialog(HWND window, LPARAM) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring_view(className) == L"#32770" &&
        Win32DialogHost::FromWindow(window) == nullptr) {
        ::EndDialog(window, IDCANCEL);
    }
    return TRUE;
}

std::string FilterText(const FileFilter& filter) {
    if (filter.description.find("(" + filter.pattern + ")") != std::string::npos) {
        return filter.description;
    }
    return filter.description + " (" + filter.pattern + ")";
}

}  // namespace

Win32DialogHost::Win32DialogHost(Dialog& dialog, HWND owner)
    : dialog_(dialog), template_(dialog.Template()), owner_(owner) {
    LiveHosts().push_back(this);
    LoadCommonControls();
    const std::vector<std::uint16_t> layout = BuildWindowTemplate(template_);
    HWND created = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                              reinterpret_cast<LPCDLGTEMPLATEW>(layout.data()),
                                              owner, DialogProc, reinterpret_cast<LPARAM>(this));
    if (created == nullptr && !Ended()) {
        // Without a window there is nothing the user could do; the dialog ends at once.
        result_ = kIdCancel;
    }
}

Win32DialogHost::~Win32DialogHost() {
    std::erase(LiveHosts(), this);
    life_->alive = false;
    modeless_.clear();
    for (int timerId : timers_) {
        ::KillTimer(window_, static_cast<UINT_PTR>(timerId));
    }
    timers_.clear();
    if (dialog_.HasWindow() && &dialog_.Host() == this) {
        dialog_.OnDestroy();
        dialog_.AttachHost(nullptr);
    }
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, DWLP_USER, 0);
        DestroyWindow(window_);
    }
    for (HBITMAP bitmap : bitmaps_) {
        DeleteObject(bitmap);
    }
}

Win32DialogHost* Win32DialogHost::FromWindow(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    for (Win32DialogHost* host : LiveHosts()) {
        if (host->window_ == window) {
            return host;
        }
    }
    return nullptr;
}

INT_PTR CALLBACK Win32DialogHost::DialogProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* host = reinterpret_cast<Win32DialogHost*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, static_cast<LONG_PTR>(lParam));
        host->Initialise(window);
        host->dialog_.AttachHost(host);
        const bool focusFirst = host->dialog_.OnInitDialog();
        return focusFirst && !host->Ended() ? TRUE : FALSE;
    }
    auto* host = reinterpret_cast<Win32DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
    if (host == nullptr) {
        return FALSE;
    }
    // The handler may close this very window; nothing here touches the host after it.
    return host->Handle(message, wParam, lParam);
}

void Win32DialogHost::Initialise(HWND window) {
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
            case ControlKind::Picture:
                if (const resources::Picture* picture = resources::FindPicture(control.pictureId)) {
                    RECT area{};
                    GetClientRect(handle, &area);
                    HBITMAP bitmap = MakePictureBitmap(*picture, area.right, area.bottom);
                    if (bitmap != nullptr) {
                        bitmaps_.push_back(bitmap);
                        SendMessageW(handle, STM_SETIMAGE, IMAGE_BITMAP,
                                     reinterpret_cast<LPARAM>(bitmap));
                    }
                    SetWindowTextW(handle, Widen(picture->description).c_str());
                }
                break;
            case ControlKind::ProgressBar:
                // The bar paints each step at once, without the animation a theme gives it,
                // since the window does not run its loop during an exchange.
                SetWindowTheme(handle, L"", L"");
                SendMessageW(handle, PBM_SETRANGE32, 0, 100);
                break;
            default:
                break;
        }
    }
}

INT_PTR Win32DialogHost::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_TIMER: {
            const int timerId = static_cast<int>(wParam);
            if (timers_.count(timerId) != 0 && !Ended() && dialog_.HasWindow() &&
                &dialog_.Host() == this) {
                dialog_.OnTimer(timerId);
            }
            return TRUE;
        }
        case WM_CLOSE:
            Cancel();
            return TRUE;
        case WM_SETFOCUS:
            if (keepFocusOnWindow_) {
                keepFocusOnWindow_ = false;
                return TRUE;
            }
            return FALSE;
        case kFocusLostMessage: {
            // Focus that went to another window (a message box, another program) is no loss.
            HWND focus = GetFocus();
            if (focus != nullptr && (focus == window_ || IsChild(window_, focus))) {
                Notify(static_cast<ControlId>(wParam), Notification::FocusLost);
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void Win32DialogHost::Command(int id, int code, HWND control) {
    const resources::ControlTemplate* layout = Layout(id);
    if (layout == nullptr) {
        // Escape (and the close box) reach a dialog as the cancel command.
        if (id == IDCANCEL) {
            Cancel();
        } else if (id == IDOK && !Ended()) {
            dialog_.OnOk();
        }
        return;
    }
    switch (layout->kind) {
        case ControlKind::RadioButton:
        case ControlKind::CheckBox:
        case ControlKind::PushButton:
            if (code == BN_CLICKED) {
                Notify(id, Notification::Clicked);
            }
            break;
        case ControlKind::DropDownList:
        case ControlKind::DropDownCombo:
            if (code == CBN_SELCHANGE) {
                if (layout->kind == ControlKind::DropDownCombo) {
                    // The field shows the chosen item only after this notification; the logic
                    // reads it now.
                    const LRESULT chosen = SendMessageW(control, CB_GETCURSEL, 0, 0);
                    if (chosen != CB_ERR) {
                        SetTextQuietly(control, ComboItem(control, static_cast<int>(chosen)));
                    }
                }
                Notify(id, Notification::SelectionChanged);
            } else if (code == CBN_EDITCHANGE) {
                Notify(id, Notification::TextChanged);
            } else if (code == CBN_KILLFOCUS) {
                PostMessageW(window_, kFocusLostMessage, static_cast<WPARAM>(id), 0);
            }
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE) {
                Notify(id, Notification::SelectionChanged);
            } else if (code == LBN_KILLFOCUS) {
                PostMessageW(window_, kFocusLostMessage, static_cast<WPARAM>(id), 0);
            }
            break;
        case ControlKind::Edit:
            if (code == EN_CHANGE && !settingText_) {
                Notify(id, Notification::TextChanged);
            } else if (code == EN_KILLFOCUS) {
                PostMessageW(window_, kFocusLostMessage, static_cast<WPARAM>(id), 0);
            }
            break;
        default:
            break;
    }
}

void Win32DialogHost::Notify(ControlId id, Notification notification) {
    if (Ended() || !dialog_.HasWindow() || &dialog_.Host() != this) {
        return;
    }
    dialog_.OnCommand(id, notification);
}

void Win32DialogHost::Cancel() {
    if (!Ended() && dialog_.HasWindow() && &dialog_.Host() == this) {
        dialog_.OnCancel();
    }
}

bool Win32DialogHost::TranslateEnter(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) {
        return false;
    }
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
        if ((GetKeyState(key) & 0x8000) != 0) {
            return false;
        }
    }
    // A control that takes Enter itself (an open drop-down list) keeps it.
    const LRESULT wants = SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam,
                                       reinterpret_cast<LPARAM>(&message));
    if ((wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0) {
        return false;
    }
    if (Ended()) {
        return true;
    }
    // A push button with the focus takes Enter as a click, if it can be clicked at all.
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window_, focus)) {
        const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
        if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
            if (IsWindowEnabled(focus)) {
                Command(GetDlgCtrlID(focus), BN_CLICKED, focus);
            }
            return true;
        }
    }
    for (const auto& layout : template_.controls) {
        if ((layout.style & resources::kDefaultButton) == 0) {
            continue;
        }
        // A disabled or hidden default button ignores Enter, as it would a click.
        HWND button = Control(layout.id);
        if (button != nullptr && IsWindowEnabled(button) && IsControlVisible(layout.id)) {
            Command(layout.id, BN_CLICKED, button);
        }
        return true;
    }
    if (dialog_.HasWindow() && &dialog_.Host() == this) {
        dialog_.OnOk();
    }
    return true;
}

int Win32DialogHost::Exec() {
    if (Ended() || ProgramEnding() || window_ == nullptr) {
        return result_.value_or(kIdCancel);
    }
    const bool disableOwner = owner_ != nullptr && IsWindowEnabled(owner_);
    if (disableOwner) {
        EnableWindow(owner_, FALSE);
    }
    Show();
    inModalLoop_ = true;
    const std::shared_ptr<Life> life = life_;
    while (!Ended() && !ProgramEnding()) {
        MSG message{};
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        if (got == 0) {
            // The system asked the program to end (WM_QUIT): every window ends as by a request.
            QuitProgram(static_cast<int>(message.wParam));
            break;
        }
        Dispatch(message);
        if (!life->alive) {
            return kIdCancel;
        }
    }
    inModalLoop_ = false;
    // The owner is enabled before this window goes, so that it gets the activation back.
    if (disableOwner) {
        EnableWindow(owner_, TRUE);
    }
    ShowWindow(window_, SW_HIDE);
    return result_.value_or(kIdCancel);
}

void Win32DialogHost::Show() {
    if (Ended() || window_ == nullptr) {
        return;
    }
    if (!positioned_) {
        CenterWindow();
    }
    ShowWindow(window_, SW_SHOW);
}

HWND Win32DialogHost::Control(ControlId id) const {
    if (window_ == nullptr || id == resources::kStaticId) {
        return nullptr;
    }
    return GetDlgItem(window_, id);
}

const resources::ControlTemplate* Win32DialogHost::Layout(ControlId id) const {
    return template_.Find(id);
}

bool Win32DialogHost::Topmost() const {
    return window_ != nullptr && (GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

Win32DialogHost* Win32DialogHost::ModelessHost(const Dialog& child) const {
    auto found = modeless_.find(&child);
    return found == modeless_.end() ? nullptr : found->second.get();
}

void Win32DialogHost::SetTextQuietly(HWND control, const std::wstring& text) {
    const bool before = settingText_;
    settingText_ = true;
    SetWindowTextW(control, text.c_str());
    settingText_ = before;
}

void Win32DialogHost::EnableControl(ControlId id, bool enable) {
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

bool Win32DialogHost::IsControlEnabled(ControlId id) const {
    HWND control = Control(id);
    return control != nullptr && IsWindowEnabled(control) != FALSE;
}

void Win32DialogHost::ShowControl(ControlId id, bool show) {
    if (HWND control = Control(id)) {
        ShowWindow(control, show ? SW_SHOWNA : SW_HIDE);
    }
}

bool Win32DialogHost::IsControlVisible(ControlId id) const {
    HWND control = Control(id);
    return control != nullptr && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32DialogHost::SetControlText(ControlId id, const std::string& text) {
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

std::string Win32DialogHost::ControlText(ControlId id) const {
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

void Win32DialogHost::SetCheck(ControlId id, bool checked) {
    if (HWND control = Control(id)) {
        SendMessageW(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

bool Win32DialogHost::IsChecked(ControlId id) const {
    HWND control = Control(id);
    return control != nullptr && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32DialogHost::ClearItems(ControlId id) {
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

void Win32DialogHost::AddItem(ControlId id, const std::string& text) {
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

int Win32DialogHost::ItemCount(ControlId id) const {
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

std::string Win32DialogHost::ItemText(ControlId id, int index) const {
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

void Win32DialogHost::SetSelection(ControlId id, int index) {
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

int Win32DialogHost::Selection(ControlId id) const {
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

void Win32DialogHost::SetProgressRange(ControlId id, int low, int high) {
    if (HWND bar = Control(id)) {
        SendMessageW(bar, PBM_SETRANGE32, static_cast<WPARAM>(low),
                     static_cast<LPARAM>(std::max(low, high)));
    }
}

void Win32DialogHost::SetProgress(ControlId id, int position) {
    if (HWND bar = Control(id)) {
        SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        // The window is frozen during an exchange, so the bar paints itself at once.
        if (IsWindowVisible(bar)) {
            UpdateWindow(bar);
        }
    }
}

int Win32DialogHost::Progress(ControlId id) const {
    HWND bar = Control(id);
    return bar == nullptr ? 0 : static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0));
}

void Win32DialogHost::SetWindowTitle(const std::string& title) {
    if (window_ != nullptr) {
        SetWindowTextW(window_, Widen(title).c_str());
    }
}

std::string Win32DialogHost::WindowTitle() const {
    return Narrow(WindowText(window_));
}

void Win32DialogHost::SetTopmost(bool topmost) {
    if (window_ != nullptr) {
        SetWindowPos(window_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void Win32DialogHost::CenterWindow() {
    if (window_ == nullptr) {
        return;
    }
    positioned_ = true;
    // Over the owner, else over the owner's own owner (a window still being built is not shown
    // yet), else on the screen's work area.
    RECT area{};
    bool found = false;
    const HWND candidates[] = {owner_, owner_ != nullptr ? GetWindow(owner_, GW_OWNER) : nullptr};
    for (HWND candidate : candidates) {
        if (candidate != nullptr && IsWindowVisible(candidate)) {
            found = GetWindowRect(candidate, &area) != FALSE;
            break;
        }
    }
    if (!found) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        HMONITOR screen =
            MonitorFromWindow(owner_ != nullptr ? owner_ : window_, MONITOR_DEFAULTTOPRIMARY);
        if (!GetMonitorInfoW(screen, &monitor)) {
            return;
        }
        area = monitor.rcWork;
    }
    RECT own{};
    GetWindowRect(window_, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int x = area.left + (area.right - area.left - width) / 2;
    const int y = area.top + (area.bottom - area.top - height) / 2;
    SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32DialogHost::SetFocus(ControlId id) {
    if (HWND control = Control(id)) {
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
}

void Win32DialogHost::EndDialog(int result) {
    result_ = result;
    // A modal window goes once its loop has given the owner back the activation.
    if (!inModalLoop_ && window_ != nullptr) {
        ShowWindow(window_, SW_HIDE);
    }
}

void Win32DialogHost::MessageBox(const std::string& text, const std::string& caption, Icon icon) {
    if (ProgramEnding()) {
        return;
    }
    UINT style = MB_OK;
    if (icon == Icon::Exclamation) {
        style |= MB_ICONEXCLAMATION;
    } else if (icon == Icon::Information) {
        style |= MB_ICONINFORMATION;
    }
    const std::wstring title = caption.empty() ? std::wstring(kProgramTitle) : Widen(caption);
    MessageBoxW(window_, Widen(text).c_str(), title.c_str(), style);
}

std::optional<std::string> Win32DialogHost::OpenFileDialog(const FileDialogRequest& request) {
    return FileDialog(false, request);
}

std::optional<std::string> Win32DialogHost::SaveFileDialog(const FileDialogRequest& request) {
    return FileDialog(true, request);
}

std::optional<std::string> Win32DialogHost::FileDialog(bool save,
                                                       const FileDialogRequest& request) {
    if (ProgramEnding()) {
        return std::nullopt;
    }
    // One file type: its description, its pattern, and the empty entry that ends the list.
    std::wstring filter = Widen(FilterText(request.filter));
    filter.push_back(L'\0');
    filter += Widen(request.filter.pattern);
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring initial = Widen(request.initialName);
    std::copy_n(initial.begin(), std::min(initial.size(), file.size() - 1), file.begin());
    std::string extension = request.defaultExtension;
    extension.erase(0, extension.find_first_not_of('.') == std::string::npos
                           ? extension.size()
                           : extension.find_first_not_of('.'));
    const std::wstring wideExtension = Widen(extension);
    const std::wstring title = Widen(request.title);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    dialog.lpstrDefExt = wideExtension.empty() ? nullptr : wideExtension.c_str();
    // A save asks before it overwrites; an open takes only a file that exists.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen || ProgramEnding()) {
        return std::nullopt;
    }
    return Narrow(file.data());
}

void Win32DialogHost::SetTimer(int timerId, std::chrono::milliseconds interval) {
    if (window_ == nullptr || Ended()) {
        return;
    }
    const auto ms = std::clamp<long long>(interval.count(), USER_TIMER_MINIMUM, INT_MAX);
    ::SetTimer(window_, static_cast<UINT_PTR>(timerId), static_cast<UINT>(ms), nullptr);
    timers_.insert(timerId);
}

void Win32DialogHost::KillTimer(int timerId) {
    if (timers_.erase(timerId) != 0) {
        ::KillTimer(window_, static_cast<UINT_PTR>(timerId));
    }
}

int Win32DialogHost::RunModal(Dialog& child) {
    // A program that is ending opens no more windows.
    if (ProgramEnding()) {
        return kIdCancel;
    }
    Win32DialogHost childHost(child, window_);
    return childHost.Exec();
}

void Win32DialogHost::ShowModeless(Dialog& child) {
    modeless_.erase(&child);
    if (ProgramEnding()) {
        return;
    }
    auto host = std::make_unique<Win32DialogHost>(child, window_);
    host->Show();
    modeless_[&child] = std::move(host);
}

void Win32DialogHost::CloseModeless(Dialog& child) {
    modeless_.erase(&child);
}

void Win32DialogHost::Repaint() {
    // Paints now without running the message loop: no timer or click may cut into an exchange.
    if (window_ != nullptr && IsWindowVisible(window_)) {
        RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void Win32DialogHost::QuitProgram(int exitCode) {
    RequestProgramEnd(exitCode);
    // Every window ends before any loop is left, so that nothing a closing window does on its
    // way out (losing the focus, a timer due) reaches its logic.
    const std::vector<Win32DialogHost*> hosts = LiveHosts();
    for (auto host = hosts.rbegin(); host != hosts.rend(); ++host) {
        (*host)->EndForQuit();
    }
    EnumThreadWindows(GetCurrentThreadId(), EndForeignDialog, 0);
    for (Win32DialogHost* host : LiveHosts()) {
        if (host->window_ != nullptr) {
            ShowWindow(host->window_, SW_HIDE);
        }
    }
    // A loop that waits for a message looks at the request once one arrives.
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Win32DialogHost::EndForQuit() {
    result_ = kIdCancel;
    for (int timerId : timers_) {
        ::KillTimer(window_, static_cast<UINT_PTR>(timerId));
    }
    timers_.clear();
}

}  // namespace corvane::ui::win32
