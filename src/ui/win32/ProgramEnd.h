#pragma once

#include <optional>

namespace corvane::ui::win32 {

// The program's request to end. Every modal loop of the program's windows looks at it after each
// message, so that once it is made the loops return one after the other, innermost first, and the
// stack unwinds the normal way with every destructor on it.

// Remembers the code the program ends with; the first request counts.
void RequestProgramEnd(int exitCode);

bool ProgramEnding();

// The code the program was asked to end with, if it was; the request is then forgotten.
std::optional<int> TakeProgramExitCode();

}  // namespace corvane::ui::win32
