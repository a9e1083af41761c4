#pragma once

#include "ui/Dialog.h"

namespace corvane::ui::win32 {

// Runs a dialog as the program's main window: a window of its own with a taskbar button, modal,
// until the dialog ends itself. Returns the program's exit code: 0 when the window ended by
// itself, else the code a window asked the program to end with.
int RunMainDialog(Dialog& dialog);

// Ends the program from outside its windows' logic (a request to end it, heard elsewhere): every
// window ends and every loop returns, and RunMainDialog returns exitCode. Called on the windows'
// thread.
void EndProgram(int exitCode);

}  // namespace corvane::ui::win32
