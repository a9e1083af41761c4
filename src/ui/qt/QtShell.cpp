#include "ui/qt/QtShell.h"

#include "ui/qt/ProgramEnd.h"
#include "ui/qt/QtDialogHost.h"

namespace corvane::ui::qt {

int RunMainDialog(Dialog& dialog) {
    {
        QtDialogHost host(dialog, nullptr);
        host.Exec();
    }
    // The exit code is reported once every window of the program is gone.
    return TakeProgramExitCode().value_or(0);
}

}  // namespace corvane::ui::qt
