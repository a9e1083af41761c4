#include "programs/corvane/ConsoleOutput.h"

#include <cstdio>
#include <iostream>

#include "platform/win32/WinApi.h"

namespace corvane::programs {

namespace {

bool Usable(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

bool UseParentConsole() {
    const bool outputUsable = Usable(STD_OUTPUT_HANDLE);
    const bool errorUsable = Usable(STD_ERROR_HANDLE);
    if (outputUsable && errorUsable) {
        return true;
    }
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
        return errorUsable;
    }
    if (!outputUsable && std::freopen("CONOUT$", "w", stdout) != nullptr) {
        std::cout.clear();
    }
    if (!errorUsable && std::freopen("CONOUT$", "w", stderr) != nullptr) {
        std::cerr.clear();
    }
    return true;
}

}  // namespace corvane::programs
