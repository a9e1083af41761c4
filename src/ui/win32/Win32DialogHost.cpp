#include "ui/win32/Win32DialogHost.h"

#include <vector>

#include "platform/win32/WideText.h"
#include "ui/win32/ExchangeWait.h"
#include "ui/win32/ProgramEnd.h"
#include "ui/win32/WidgetFactory.h"

namespace corvane::ui::win32 {

using platform::win32::Narrow;
using platform::win32::Widen;

namespace {

// Every host whose window exists, oldest first, so that ending the program reaches them all.
std::vector<Win32DialogHost*>& LiveHosts() {
    static std::vector<Win32DialogHost*> hosts;
    return hosts;
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

}  // namespace

Win32DialogHost::Win32DialogHost(Dialog& dialog, HWND owner)
    : dialog_(dialog),
      owner_(owner),
      controls_(dialog.Template()),
      services_(*this),
      router_(*this, controls_, services_) {
    LiveHosts().push_back(this);
    HWND created =
        BuildWindow(dialog_.Template(), owner, DialogProc, reinterpret_cast<LPARAM>(this));
    if (created == nullptr && !Ended()) {
        // Without a window there is nothing the user could do; the dialog ends at once.
        result_ = kIdCancel;
    }
}

Win32DialogHost::~Win32DialogHost() {
    std::erase(LiveHosts(), this);
    life_->alive = false;
    services_.CloseAllModeless();
    services_.StopTimers();
    if (dialog_.HasWindow() && &dialog_.Host() == this) {
        dialog_.OnDestroy();
        dialog_.AttachHost(nullptr);
    }
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, DWLP_USER, 0);
        DestroyWindow(window_);
    }
    // The pictures' bitmaps go with the controls, after the window.
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

std::vector<HWND> Win32DialogHost::WindowsOfThisThread() {
    std::vector<HWND> windows;
    const DWORD thread = GetCurrentThreadId();
    for (const Win32DialogHost* host : LiveHosts()) {
        if (host->window_ != nullptr &&
            GetWindowThreadProcessId(host->window_, nullptr) == thread) {
            windows.push_back(host->window_);
        }
    }
    return windows;
}

INT_PTR CALLBACK Win32DialogHost::DialogProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* host = reinterpret_cast<Win32DialogHost*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, static_cast<LONG_PTR>(lParam));
        host->window_ = window;
        host->controls_.Attach(window);
        host->dialog_.AttachHost(host);
        const ExchangeScope scope;
        const bool focusFirst = host->dialog_.OnInitDialog();
        return focusFirst && !host->Ended() ? TRUE : FALSE;
    }
    auto* host = reinterpret_cast<Win32DialogHost*>(GetWindowLongPtrW(window, DWLP_USER));
    if (host == nullptr) {
        return FALSE;
    }
    // The handler may close this very window; nothing here touches the host after it.
    return host->router_.Handle(message, wParam, lParam);
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

bool Win32DialogHost::Topmost() const {
    return window_ != nullptr && (GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
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

void Win32DialogHost::QuitProgram(int exitCode) {
    EndEveryWindow(exitCode);
}

void Win32DialogHost::EndEveryWindow(int exitCode) {
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
    services_.StopTimers();
}

}  // namespace corvane::ui::win32
