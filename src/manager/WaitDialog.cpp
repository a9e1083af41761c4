#include "manager/WaitDialog.h"

namespace corvane::manager {

bool WaitDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    // It must stay visible above the manager while the first reading blocks the window.
    Host().SetTopmost(true);
    return true;
}

}  // namespace corvane::manager
