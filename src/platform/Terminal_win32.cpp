// NOMINMAX and WIN32_LEAN_AND_MEAN come from the build, as for the Windows backend.
#include <windows.h>

#include "platform/Terminal.h"

namespace corvane::platform {

bool StandardErrorIsTerminal() {
    // _isatty also holds for the NUL device; only a console has a console mode.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != FALSE;
}

}  // namespace corvane::platform
