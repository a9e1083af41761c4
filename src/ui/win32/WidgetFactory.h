#pragma once

#include "platform/win32/WinApi.h"
#include "resources/DialogTemplate.h"

namespace corvane::ui::win32 {

// The window of a template, built hidden by the dialog manager with every control at its
// rectangle; procedure gets the window's messages, WM_INITDIALOG with parameter first. Null when
// the system refused to build it.
HWND BuildWindow(const resources::DialogTemplate& dialogTemplate, HWND owner, DLGPROC procedure,
                 LPARAM parameter);

// Gives a built control what the dialog manager cannot take from a template: a picture drawn at
// the control's size, and a progress bar that paints each step at once. Returns the picture's
// bitmap, which the caller deletes once the window is gone; null for every other control.
HBITMAP FinishControl(const resources::ControlTemplate& layout, HWND control);

}  // namespace corvane::ui::win32
