#include "ui/win32/ApplicationServices.h"

#include <commdlg.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/win32/WideText.h"
#include "ui/win32/ExchangeWait.h"
#include "ui/win32/ProgramEnd.h"
#include "ui/win32/Win32DialogHost.h"

namespace corvane::ui::win32 {

using platform::win32::Narrow;
using platform::win32::Widen;

namespace {

// The caption of a message box that names none.
constexpr wchar_t kProgramTitle[] = L"Corvane Manager";

std::string FilterText(const FileFilter& filter) {
    if (filter.description.find("(" + filter.pattern + ")") != std::string::npos) {
        return filter.description;
    }
    return filter.description + " (" + filter.pattern + ")";
}

}  // namespace

ApplicationServices::ApplicationServices(Win32DialogHost& host) : host_(host) {}

ApplicationServices::~ApplicationServices() = default;

void ApplicationServices::MessageBox(const std::string& text, const std::string& caption,
                                     Icon icon) {
    // A window the logic opens takes input again, and none of what came during the exchange.
    ExchangeWait::End();
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
    MessageBoxW(host_.Window(), Widen(text).c_str(), title.c_str(), style);
}

std::optional<std::string> ApplicationServices::FileDialog(bool save,
                                                           const FileDialogRequest& request) {
    ExchangeWait::End();
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
    dialog.hwndOwner = host_.Window();
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

void ApplicationServices::SetTimer(int timerId, std::chrono::milliseconds interval) {
    HWND window = host_.Window();
    if (window == nullptr || host_.Ended()) {
        return;
    }
    const auto ms = std::clamp<long long>(interval.count(), USER_TIMER_MINIMUM, INT_MAX);
    ::SetTimer(window, static_cast<UINT_PTR>(timerId), static_cast<UINT>(ms), nullptr);
    timers_.insert(timerId);
}

void ApplicationServices::KillTimer(int timerId) {
    if (timers_.erase(timerId) != 0) {
        ::KillTimer(host_.Window(), static_cast<UINT_PTR>(timerId));
    }
}

int ApplicationServices::RunModal(Dialog& child) {
    ExchangeWait::End();
    // A program that is ending opens no more windows.
    if (ProgramEnding()) {
        return kIdCancel;
    }
    Win32DialogHost childHost(child, host_.Window());
    return childHost.Exec();
}

void ApplicationServices::ShowModeless(Dialog& child) {
    modeless_.erase(&child);
    if (ProgramEnding()) {
        return;
    }
    auto host = std::make_unique<Win32DialogHost>(child, host_.Window());
    host->Show();
    modeless_[&child] = std::move(host);
}

void ApplicationServices::CloseModeless(Dialog& child) {
    modeless_.erase(&child);
}

void ApplicationServices::Repaint() {
    // Paints now without running the message loop: no timer or click may cut into an exchange.
    HWND window = host_.Window();
    if (window != nullptr && IsWindowVisible(window)) {
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

Win32DialogHost* ApplicationServices::ModelessHost(const Dialog& child) const {
    auto found = modeless_.find(&child);
    return found == modeless_.end() ? nullptr : found->second.get();
}

void ApplicationServices::StopTimers() {
    for (int timerId : timers_) {
        ::KillTimer(host_.Window(), static_cast<UINT_PTR>(timerId));
    }
    timers_.clear();
}

}  // namespace corvane::ui::win32
