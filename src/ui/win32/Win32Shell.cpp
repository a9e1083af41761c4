#include "ui/win32/Win32Shell.h"

#include "ui/win32/ProgramEnd.h"
#include "ui/win32/Win32DialogHost.h"

namespace corvane::ui::win32 {

int RunMainDialog(Dialog& dialog) {
    {
        Win32DialogHost host(dialog, nullptr);
        host.Exec();
    }
    // The exit code is reported once every window of the program is gone.
    return TakeProgramExitCode().value_or(0);
}

void EndProgram(int exitCode) {
    Win32DialogHost::EndEveryWindow(exitCode);
}

}  // namespace corvane::ui::win32
