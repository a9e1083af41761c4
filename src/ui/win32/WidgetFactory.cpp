#include "ui/win32/WidgetFactory.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cstdint>
#include <vector>

#include "platform/win32/WideText.h"
#include "ui/win32/PictureBitmap.h"
#include "ui/win32/WindowTemplate.h"

namespace corvane::ui::win32 {

using platform::win32::Widen;
using resources::ControlKind;

namespace {

void LoadCommonControls() {
    static const bool loaded = [] {
        INITCOMMONCONTROLSEX classes{};
        classes.dwSize = sizeof(classes);
        classes.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
        return InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)loaded;
}

}  // namespace

HWND BuildWindow(const resources::DialogTemplate& dialogTemplate, HWND owner, DLGPROC procedure,
                 LPARAM parameter) {
    LoadCommonControls();
    const std::vector<std::uint16_t> layout = BuildWindowTemplate(dialogTemplate);
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                      reinterpret_cast<LPCDLGTEMPLATEW>(layout.data()), owner,
                                      procedure, parameter);
}

HBITMAP FinishControl(const resources::ControlTemplate& layout, HWND control) {
    switch (layout.kind) {
        case ControlKind::Picture: {
            const resources::Picture* picture = resources::FindPicture(layout.pictureId);
            if (picture == nullptr) {
                return nullptr;
            }
            RECT area{};
            GetClientRect(control, &area);
            HBITMAP bitmap = MakePictureBitmap(*picture, area.right, area.bottom);
            if (bitmap != nullptr) {
                SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
            }
            SetWindowTextW(control, Widen(picture->description).c_str());
            return bitmap;
        }
        case ControlKind::ProgressBar:
            // The bar paints each step at once, without the animation a theme gives it, since
            // the window does not run its loop during an exchange.
            SetWindowTheme(control, L"", L"");
            SendMessageW(control, PBM_SETRANGE32, 0, 100);
            return nullptr;
        default:
            return nullptr;
    }
}

}  // namespace corvane::ui::win32
