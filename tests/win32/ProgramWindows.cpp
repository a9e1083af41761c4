#include "ProgramWindows.h"

#include <cstdlib>
#include <thread>

#include "platform/win32/WideText.h"
#include "resources/Template102Ids.h"
#include "resources/Template145Ids.h"

namespace corvane::testing {

namespace {

namespace id102 = resources::template102;
namespace id145 = resources::template145;

// The text of a message box sits in a static control with this id.
constexpr int kMessageBoxText = 0xFFFF;

}  // namespace

std::wstring Environment(const char* name) {
    const char* value = std::getenv(name);
    return platform::win32::Widen(value != nullptr ? value : "");
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

HWND WindowOf(DWORD process, const wchar_t* className, const std::function<bool(HWND)>& fits) {
    struct Search {
        DWORD process;
        const wchar_t* className;
        const std::function<bool(HWND)>& fits;
        HWND found;
    } search{process, className, fits, nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& search = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            const std::wstring found = name;
            // A dialog counts once it shows; the hidden windows of the backend count at once.
            if (owner != search.process || found != search.className ||
                (found == L"#32770" && !IsWindowVisible(window)) ||
                (search.fits && !search.fits(window))) {
                return TRUE;
            }
            search.found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND DialogWith(DWORD process, int controlId) {
    return WindowOf(process, L"#32770",
                    [controlId](HWND window) { return GetDlgItem(window, controlId) != nullptr; });
}

HWND MessageBoxOf(DWORD process, std::string* text) {
    // The program's own windows name their labels alike: a box is told by its OK button and by
    // lacking their buttons.
    HWND box = WindowOf(process, L"#32770", [](HWND window) {
        return GetDlgItem(window, kMessageBoxText) != nullptr &&
               GetDlgItem(window, IDOK) != nullptr &&
               GetDlgItem(window, id102::kConnect) == nullptr &&
               GetDlgItem(window, id145::kGetStatus) == nullptr;
    });
    if (box != nullptr && text != nullptr) {
        wchar_t said[512] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutW(GetDlgItem(box, kMessageBoxText), WM_GETTEXT, 512,
                            reinterpret_cast<LPARAM>(said), SMTO_BLOCK, 2000, &length);
        *text = platform::win32::Narrow(said);
    }
    return box;
}

void ConnectOn(HWND window, int comIndex) {
    SendMessageW(GetDlgItem(window, id102::kSerial), BM_CLICK, 0, 0);
    HWND ports = GetDlgItem(window, id102::kComBox);
    SendMessageW(ports, CB_SETCURSEL, static_cast<WPARAM>(comIndex), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id102::kComBox, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(ports));
    // Posted: the click returns once the exchange has ended.
    PostMessageW(GetDlgItem(window, id102::kConnect), BM_CLICK, 0, 0);
}

}  // namespace corvane::testing
