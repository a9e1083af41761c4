#include "ui/qt/QtShell.h"

#include "ui/qt/ProgramEnd.h"
#include "ui/qt/QtDialogHost.h"

namespace corvane::ui::qt {

int RunMainDialog(Dialog& dialog) {
    int result = kIdCancel;
    {
        QtDialogHost host(dialog, nullptr);
        result = host.Exec();
    }
    // The exit code is reported once every window of the program is gone.
    return TakeProgramExitCode().value_or(result);
}

}  // namespace corvane::ui::qt
