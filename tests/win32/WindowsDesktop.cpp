#include "WindowsDesktop.h"

#include <map>

#include "ui/win32/Win32DialogHost.h"

namespace corvane::testing {

namespace {

std::map<UINT_PTR, BoxAnswerer*>& Answerers() {
    static std::map<UINT_PTR, BoxAnswerer*> answerers;
    return answerers;
}

BOOL CALLBACK FindOne(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) == L"#32770" && IsWindowVisible(window) &&
        ui::win32::Win32DialogHost::FromWindow(window) == nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

}  // namespace

HWND FindForeignDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOne, reinterpret_cast<LPARAM>(&found));
    return found;
}

BoxAnswerer::BoxAnswerer(std::function<void(const SeenBox&)> answer) : answer_(std::move(answer)) {
    timer_ = SetTimer(nullptr, 0, 30, Tick);
    Answerers()[timer_] = this;
}

BoxAnswerer::~BoxAnswerer() {
    if (timer_ != 0) {
        KillTimer(nullptr, timer_);
        Answerers().erase(timer_);
    }
}

void CALLBACK BoxAnswerer::Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    auto found = Answerers().find(timer);
    HWND box = FindForeignDialog();
    if (found == Answerers().end() || box == nullptr) {
        return;
    }
    BoxAnswerer* answerer = found->second;
    KillTimer(nullptr, timer);
    Answerers().erase(found);
    answerer->timer_ = 0;
    SeenBox seen;
    seen.window = box;
    seen.caption = TextOf(box);
    // A message box keeps its text in the static control with the dialog's default id.
    seen.text = TextOf(GetDlgItem(box, 0xFFFF));
    ++answerer->answered_;
    answerer->answer_(seen);
}

void PressOk(HWND box) {
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

}  // namespace corvane::testing
