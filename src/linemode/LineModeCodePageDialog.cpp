#include "linemode/LineModeCodePageDialog.h"

#include "link/PrinterPort.h"
#include "protocol/Identification.h"
#include "protocol/LineModeCommands.h"
#include "protocol/LineModeOptions.h"
#include "ui/DataExchange.h"

namespace corvane::linemode {

namespace {

using protocol::LineModeOption;
using protocol::LineModeOptions;

// The firmware of printers that take a default code page carries this at characters 8 to 10.
constexpr std::string_view kCodePageMarker = "STB";
constexpr std::size_t kCodePageMarkerAt = 7;
constexpr std::uint32_t kVersionTextUsbSize = 20;
constexpr std::uint32_t kVersionTextSerialPauseMs = 1000;

bool HasValue(const LineModeOption& option, int choice) {
    return choice >= 0 && static_cast<std::size_t>(choice) < option.values.size();
}

}  // namespace

LineModeCodePageDialog::LineModeCodePageDialog(link::PrinterPort& port)
    : ui::Dialog(kTemplateId), port_(port) {}

bool LineModeCodePageDialog::TakesCodePage(const std::string& versionText) {
    return versionText.size() >= kCodePageMarkerAt + kCodePageMarker.size() &&
           versionText.compare(kCodePageMarkerAt, kCodePageMarker.size(), kCodePageMarker) == 0;
}

bool LineModeCodePageDialog::OnInitDialog() {
    std::string versionText = protocol::QueryPrinterInfo(
        port_, protocol::InfoRequest::VersionText, kVersionTextUsbSize, kVersionTextSerialPauseMs);
    codePageOffered_ = TakesCodePage(versionText);
    if (!codePageOffered_) {
        // A tick kept from a printer that took code pages must not reach one that does not:
        // the check box is disabled, so the user could not take it back.
        codePageTicked_ = false;
        codePageChoice_ = -1;
        selectAll_ = false;
    }
    UpdateData(false);
    Host().EnableControl(kCodePageSet, codePageOffered_);
    Host().EnableControl(kSelectAll, codePageOffered_);
    // Options ticked at an earlier opening keep their choices, so their lists must be usable.
    Host().EnableControl(kCodePageList, codePageTicked_);
    Host().EnableControl(kCrLfList, crLfTicked_);
    commands_.WriteHeaders();
    return true;
}

void LineModeCodePageDialog::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Check(kCodePageSet, codePageTicked_);
    exchange.ListIndex(kCodePageList, codePageChoice_);
    exchange.Check(kCrLfSet, crLfTicked_);
    exchange.ListIndex(kCrLfList, crLfChoice_);
    exchange.Check(kSelectAll, selectAll_);
}

void LineModeCodePageDialog::OnCommand(ui::ControlId id, ui::Notification notification) {
    if (notification != ui::Notification::Clicked) {
        return;
    }
    switch (id) {
        case kCodePageSet:
            OnTick(codePageTicked_, codePageChoice_, kCodePageList);
            break;
        case kCrLfSet:
            OnTick(crLfTicked_, crLfChoice_, kCrLfList);
            break;
        case kSelectAll:
            OnSelectAll();
            break;
        case kSet:
            OnSet();
            break;
        case kPrintStatus:
            OnPrint();
            break;
        case kClose:
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
    OnTick(codePageTicked_, codePageChoice_, kCodePageList);
    crLfTicked_ = selectAll_;
    UpdateData(false);
    OnTick(crLfTicked_, crLfChoice_, kCrLfList);
}

void LineModeCodePageDialog::OnSet() {
    UpdateData(true);
    const LineModeOption& codePage = LineModeOptions::CodePageSetOption();
    const LineModeOption& crLf = LineModeOptions::CrLfSetOption();
    bool added = false;
    if (codePageTicked_ && HasValue(codePage, codePageChoice_)) {
        commands_.AddSwitchOption(codePage.word, codePage.clearMask,
                                  codePage.values[static_cast<std::size_t>(codePageChoice_)]);
        added = true;
    }
    if (crLfTicked_ && HasValue(crLf, crLfChoice_)) {
        commands_.AddSwitchOption(crLf.word, crLf.clearMask,
                                  crLf.values[static_cast<std::size_t>(crLfChoice_)]);
        added = true;
    }
    if (!added) {
        Host().MessageBox("Don't select item.", "Warning", ui::Icon::Exclamation);
        return;
    }
    commands_.SendSwitchCommands(port_);
}

void LineModeCodePageDialog::OnPrint() {
    protocol::LineModeCommands::SendPrintStatus(port_, protocol::PrintStatusForm::TwoNuls);
}

}  // namespace corvane::linemode
