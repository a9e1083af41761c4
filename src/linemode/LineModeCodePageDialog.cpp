#include "linemode/LineModeCodePageDialog.h"

#include <vector>

#include "link/PrinterPort.h"
#include "operations/LineMode.h"
#include "resources/Template160Ids.h"
#include "ui/DataExchange.h"

namespace corvane::linemode {

namespace ids = resources::template160;

LineModeCodePageDialog::LineModeCodePageDialog(link::PrinterPort& port)
    : ui::Dialog(ids::kTemplateId), port_(port), reporter_(*this, port.GetPlatform()) {}

bool LineModeCodePageDialog::OnInitDialog() {
    codePageOffered_ = operations::ReadCodePageCapability(port_).takesCodePage;
    if (!codePageOffered_) {
        // A tick kept from a printer that took code pages must not reach one that does not:
        // the check box is disabled, so the user could not take it back.
        codePageTicked_ = false;
        codePageChoice_ = -1;
        selectAll_ = false;
    }
    UpdateData(false);
    Host().EnableControl(ids::kCodePageSet, codePageOffered_);
    Host().EnableControl(ids::kSelectAll, codePageOffered_);
    // Options ticked at an earlier opening keep their choices, so their lists must be usable.
    Host().EnableControl(ids::kCodePageList, codePageTicked_);
    Host().EnableControl(ids::kCrLfList, crLfTicked_);
    return true;
}

void LineModeCodePageDialog::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Check(ids::kCodePageSet, codePageTicked_);
    exchange.ListIndex(ids::kCodePageList, codePageChoice_);
    exchange.Check(ids::kCrLfSet, crLfTicked_);
    exchange.ListIndex(ids::kCrLfList, crLfChoice_);
    exchange.Check(ids::kSelectAll, selectAll_);
}

void LineModeCodePageDialog::OnCommand(ui::ControlId id, ui::Notification notification) {
    if (notification != ui::Notification::Clicked) {
        return;
    }
    switch (id) {
        case ids::kCodePageSet:
            OnTick(codePageTicked_, codePageChoice_, ids::kCodePageList);
            break;
        case ids::kCrLfSet:
            OnTick(crLfTicked_, crLfChoice_, ids::kCrLfList);
            break;
        case ids::kSelectAll:
            OnSelectAll();
            break;
        case ids::kSet:
            OnSet();
            break;
        case ids::kPrintStatus:
            // This button's command carries one more 00 byte than the one that follows a Set.
            operations::PrintLineModeStatus(port_, protocol::PrintStatusForm::TwoNuls);
            break;
        case ids::kClose:
            OnOk();
            break;
        default:
            break;
    }
}

void LineModeCodePageDialog::OnTick(bool& ticked, int& choice, int listId) {
    UpdateData(true);
    Host().EnableControl(listId, ticked);
    if (ticked) {
        choice = 0;
    } else {
        choice = -1;
        selectAll_ = false;
    }
    UpdateData(false);
}

void LineModeCodePageDialog::OnSelectAll() {
    UpdateData(true);
    codePageTicked_ = selectAll_;
    UpdateData(false);
    OnTick(codePageTicked_, codePageChoice_, ids::kCodePageList);
    crLfTicked_ = selectAll_;
    UpdateData(false);
    OnTick(crLfTicked_, crLfChoice_, ids::kCrLfList);
}

void LineModeCodePageDialog::OnSet() {
    UpdateData(true);
    std::vector<operations::LineModeChoice> choices;
    if (codePageTicked_) {
        choices.push_back({protocol::LineModeSetting::CodePage, codePageChoice_});
    }
    if (crLfTicked_) {
        choices.push_back({protocol::LineModeSetting::CrLfCommands, crLfChoice_});
    }
    operations::LineModeOutcome outcome =
        operations::SetLineModeSwitches(port_, choices, reporter_);
    if (outcome != operations::LineModeOutcome::NothingChosen) {
        service::KeepValuesRecord(history_, port_, "line mode", service::LineModeValues(choices),
                                  outcome == operations::LineModeOutcome::Sent, reporter_);
    }
}

}  // namespace corvane::linemode
