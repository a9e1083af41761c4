#include "linemode/LineModeBaudRateDialog.h"

#include "link/PrinterPort.h"
#include "operations/LineMode.h"
#include "product/SettingLists.h"
#include "resources/Template152Ids.h"
#include "ui/DataExchange.h"

namespace corvane::linemode {

namespace {

namespace ids = resources::template152;

// The radios offer the serial speeds in their order.
constexpr const auto& kSpeeds = product::kSerialSpeeds;

}  // namespace

LineModeBaudRateDialog::LineModeBaudRateDialog(link::PrinterPort& port)
    : ui::Dialog(ids::kTemplateId), port_(port), reporter_(*this, port.GetPlatform()) {}

bool LineModeBaudRateDialog::OnInitDialog() {
    // Every opening offers the slowest speed first, whatever was sent before.
    choice_ = 0;
    UpdateData(false);
    return true;
}

void LineModeBaudRateDialog::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Radio(ids::k1200Radio, choice_);
}

void LineModeBaudRateDialog::OnCommand(ui::ControlId id, ui::Notification notification) {
    if (notification != ui::Notification::Clicked) {
        return;
    }
    if (id == ids::kSet) {
        OnSet();
    } else if (id == ids::kClose) {
        ui::Dialog::OnOk();
    }
}

void LineModeBaudRateDialog::OnSet() {
    UpdateData(true);
    // One radio is always checked; without one there is no speed to send.
    if (choice_ >= 0 && static_cast<std::size_t>(choice_) < kSpeeds.size()) {
        const auto& speed = kSpeeds[static_cast<std::size_t>(choice_)];
        bool sent = operations::SetLineModeSpeed(port_, speed.value);
        service::KeepValuesRecord(history_, port_, "line mode",
                                  {{"Baud Rate", std::string(speed.text)}}, sent, reporter_);
    }
}

}  // namespace corvane::linemode
