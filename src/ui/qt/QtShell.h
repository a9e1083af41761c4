#pragma once

#include "ui/Dialog.h"

namespace corvane::ui::qt {

// Runs a dialog as the program's main window: a window of its own with a taskbar entry, modal,
// until the dialog ends itself. A QApplication must exist. Returns the program's exit code: 0
// when the window ended by itself, else the code a window asked the program to end with.
int RunMainDialog(Dialog& dialog);

}  // namespace corvane::ui::qt
