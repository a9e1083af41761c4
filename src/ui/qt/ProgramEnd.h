#pragma once

#include <optional>

class QDialog;

namespace corvane::ui::qt {

// The modal loops of the program's windows, message boxes and file dialogs running on the stack,
// and the program's request to end, which ends them all so that the stack unwinds the normal way
// and every destructor on it runs.

// Runs the dialog's modal loop and returns its result; once the program is ending, returns
// QDialog::Rejected at once without showing the dialog.
int RunModalLoop(QDialog& dialog);

// Remembers the code the program ends with and ends every running modal loop, innermost first;
// each returns once the loops above it on the stack have returned.
void EndProgram(int exitCode);

bool ProgramEnding();

// The code the program was asked to end with, if it was; the request is then forgotten.
std::optional<int> TakeProgramExitCode();

}  // namespace corvane::ui::qt
