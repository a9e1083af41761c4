#pragma once

#include "ui/Dialog.h"

namespace corvane::ui::qt {

// Runs a dialog as the program's main window: a window of its own with a taskbar entry, modal,
// until the dialog ends itself. A QApplication must exist. Returns the result it ended with, or
// the exit code when a window asked the program to end.
int RunMainDialog(Dialog& dialog);

}  // namespace corvane::ui::qt
