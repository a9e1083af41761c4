#include "ui/win32/NotificationRouter.h"

#include "ui/win32/ApplicationServices.h"
#include "ui/win32/ControlSet.h"
#include "ui/win32/ExchangeWait.h"
#include "ui/win32/Win32DialogHost.h"

namespace corvane::ui::win32 {

using resources::ControlKind;

namespace {

// Posted when a field or list lost the focus, so that the new focus is known when it arrives.
constexpr UINT kFocusLostMessage = WM_APP + 1;

// What a window drops while it waits for the printer: anything that would reach its logic, and
// the system commands and frame clicks that would move or size it in a loop of their own.
bool DroppedDuringWait(UINT message) {
    switch (message) {
        case WM_COMMAND:
        case WM_TIMER:
        case WM_CLOSE:
        case WM_SYSCOMMAND:
        case kFocusLostMessage:
            return true;
        default:
            return message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK;
    }
}

}  // namespace

NotificationRouter::NotificationRouter(Win32DialogHost& host, ControlSet& controls,
                                       const ApplicationServices& services)
    : host_(host), controls_(controls), services_(services) {}

bool NotificationRouter::LogicAttached() const {
    const Dialog& dialog = host_.GetDialog();
    return dialog.HasWindow() && &dialog.Host() == &host_;
}

INT_PTR NotificationRouter::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (ExchangeWait::Delivering() && DroppedDuringWait(message)) {
        return TRUE;
    }
    switch (message) {
        case WM_COMMAND:
            Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_TIMER: {
            const int timerId = static_cast<int>(wParam);
            if (services_.TimerRunning(timerId) && !host_.Ended() && LogicAttached()) {
                const ExchangeScope scope;
                host_.GetDialog().OnTimer(timerId);
            }
            return TRUE;
        }
        case WM_CLOSE:
            Cancel();
            return TRUE;
        case WM_SETFOCUS:
            return controls_.TakeWindowFocusHold() ? TRUE : FALSE;
        case WM_SETCURSOR:
            if (!ExchangeWait::Running()) {
                return FALSE;
            }
            // The busy cursor over every part of the window, controls and frame alike.
            ExchangeWait::ShowBusyCursor();
            SetWindowLongPtrW(host_.Window(), DWLP_MSGRESULT, TRUE);
            return TRUE;
        case kFocusLostMessage: {
            // Focus that went to another window (a message box, another program) is no loss.
            HWND window = host_.Window();
            HWND focus = GetFocus();
            if (focus != nullptr && (focus == window || IsChild(window, focus))) {
                Notify(static_cast<ControlId>(wParam), Notification::FocusLost);
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

void NotificationRouter::Command(int id, int code, HWND control) {
    const resources::ControlTemplate* layout = controls_.Layout(id);
    if (layout == nullptr) {
        // Escape (and the close box) reach a dialog as the cancel command.
        if (id == IDCANCEL) {
            Cancel();
        } else if (id == IDOK && !host_.Ended()) {
            const ExchangeScope scope;
            host_.GetDialog().OnOk();
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
                    controls_.ShowChosenItem(control);
                }
                Notify(id, Notification::SelectionChanged);
            } else if (code == CBN_EDITCHANGE) {
                Notify(id, Notification::TextChanged);
            } else if (code == CBN_KILLFOCUS) {
                PostMessageW(host_.Window(), kFocusLostMessage, static_cast<WPARAM>(id), 0);
            }
            break;
        case ControlKind::ListBox:
            if (code == LBN_SELCHANGE) {
                Notify(id, Notification::SelectionChanged);
            } else if (code == LBN_KILLFOCUS) {
                PostMessageW(host_.Window(), kFocusLostMessage, static_cast<WPARAM>(id), 0);
            }
            break;
        case ControlKind::Edit:
            if (code == EN_CHANGE && !controls_.SettingText()) {
                Notify(id, Notification::TextChanged);
            } else if (code == EN_KILLFOCUS) {
                PostMessageW(host_.Window(), kFocusLostMessage, static_cast<WPARAM>(id), 0);
            }
            break;
        default:
            break;
    }
}

void NotificationRouter::Notify(ControlId id, Notification notification) {
    if (host_.Ended() || !LogicAttached()) {
        return;
    }
    const ExchangeScope scope;
    host_.GetDialog().OnCommand(id, notification);
}

void NotificationRouter::Cancel() {
    if (!host_.Ended() && LogicAttached()) {
        const ExchangeScope scope;
        host_.GetDialog().OnCancel();
    }
}

bool NotificationRouter::TranslateEnter(const MSG& message) {
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
    if (host_.Ended()) {
        return true;
    }
    // A push button with the focus takes Enter as a click, if it can be clicked at all.
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(host_.Window(), focus)) {
        const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
        if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0) {
            if (IsWindowEnabled(focus)) {
                Command(GetDlgCtrlID(focus), BN_CLICKED, focus);
            }
            return true;
        }
    }
    for (const auto& layout : controls_.Template().controls) {
        if ((layout.style & resources::kDefaultButton) == 0) {
            continue;
        }
        // A disabled or hidden default button ignores Enter, as it would a click.
        HWND button = controls_.Control(layout.id);
        if (button != nullptr && IsWindowEnabled(button) && controls_.IsVisible(layout.id)) {
            Command(layout.id, BN_CLICKED, button);
        }
        return true;
    }
    if (LogicAttached()) {
        const ExchangeScope scope;
        host_.GetDialog().OnOk();
    }
    return true;
}

}  // namespace corvane::ui::win32
