#include "ui/win32/ProgramEnd.h"

#include <utility>

namespace corvane::ui::win32 {

namespace {

std::optional<int>& ExitCode() {
    static std::optional<int> exitCode;
    return exitCode;
}

}  // namespace

void RequestProgramEnd(int exitCode) {
    if (!ExitCode().has_value()) {
        ExitCode() = exitCode;
    }
}

bool ProgramEnding() {
    return ExitCode().has_value();
}

std::optional<int> TakeProgramExitCode() {
    return std::exchange(ExitCode(), std::nullopt);
}

}  // namespace corvane::ui::win32
