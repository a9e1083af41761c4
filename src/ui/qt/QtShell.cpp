#include "ui/qt/QtShell.h"

#include "ui/qt/QtDialogHost.h"

namespace corvane::ui::qt {

int RunMainDialog(Dialog& dialog) {
    QtDialogHost host(dialog, nullptr);
    return host.Exec();
}

}  // namespace corvane::ui::qt
