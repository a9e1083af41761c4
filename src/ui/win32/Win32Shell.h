#pragma once

#include "ui/Dialog.h"

namespace corvane::ui::win32 {

// Runs a dialog as the program's main window: a window of its own with a taskbar button, modal,
// until the dialog ends itself. Returns the program's exit code: 0 when the window ended by
// itself, else the code a window asked the program to end with.
int RunMainDialog(Dialog& dialog);

}  // namespace corvane::ui::win32
