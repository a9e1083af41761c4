#include "linemode/LineModeBaudRateDialog.h"

#include "link/PrinterPort.h"
#include "protocol/LineModeCommands.h"
#include "ui/DataExchange.h"

namespace corvane::linemode {

LineModeBaudRateDialog::LineModeBaudRateDialog(link::PrinterPort& port)
    : ui::Dialog(kTemplateId), port_(port) {}

bool LineModeBaudRateDialog::OnInitDialog() {
    // Every opening offers the slowest speed first, whatever was sent before.
    choice_ = 0;
    UpdateData(false);
    return true;
}

void LineModeBaudRateDialog::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Radio(kFirstSpeedRadio, choice_);
}

void LineModeBaudRateDialog::OnCommand(ui::ControlId id, ui::Notification notification) {
    if (notification != ui::Notification::Clicked) {
        return;
    }
    if (id == kSet) {
        OnSet();
    } else if (id == kClose) {
        OnOk();
    }
}

void LineModeBaudRateDialog::OnSet() {
    UpdateData(true);
    // One radio is always checked; without one there is no speed to send.
    if (auto speed = protocol::LineModeCommands::SpeedOfChoice(choice_)) {
        protocol::LineModeCommands::SendSpeedCommands(port_, *speed);
    }
}

}  // namespace corvane::linemode
