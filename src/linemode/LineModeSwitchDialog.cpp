#include "linemode/LineModeSwitchDialog.h"

#include "link/PrinterPort.h"
#include "protocol/LineModeCommands.h"
#include "protocol/LineModeOptions.h"
#include "resources/DialogTemplate.h"
#include "ui/DataExchange.h"

namespace corvane::linemode {

namespace {

using protocol::LineModeOption;
using protocol::LineModeOptions;

constexpr int kTitleStringId = 102;

// Select All walks the options in this order, by check box id.
constexpr std::array<int, LineModeSwitchDialog::kOptionCount> kSelectAllOrder = {
    16, 42, 40, 24, 25, 35, 29, 27, 20, 31, 37, 18, 22, 34};

const LineModeOption& OptionAt(int index) {
    return LineModeOptions::MemorySwitchOptions()[static_cast<std::size_t>(index)];
}

}  // namespace

LineModeSwitchDialog::LineModeSwitchDialog(link::PrinterPort& port)
    : ui::Dialog(kTemplateId), port_(port) {}

int LineModeSwitchDialog::OptionIndex(int checkBoxId) {
    auto options = LineModeOptions::MemorySwitchOptions();
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (options[i].checkBoxId == checkBoxId) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool LineModeSwitchDialog::Ticked(int checkBoxId) const {
    int index = OptionIndex(checkBoxId);
    return index >= 0 && options_[static_cast<std::size_t>(index)].ticked;
}

int LineModeSwitchDialog::Choice(int checkBoxId) const {
    int index = OptionIndex(checkBoxId);
    return index >= 0 ? options_[static_cast<std::size_t>(index)].choice : -1;
}

bool LineModeSwitchDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    commands_.WriteHeaders();
    Host().SetWindowTitle(resources::LoadString(kTitleStringId));
    // Options ticked at an earlier opening keep their choices, so their controls must be usable.
    for (int i = 0; i < kOptionCount; ++i) {
        EnableChoice(i, options_[static_cast<std::size_t>(i)].ticked);
    }
    return true;
}

void LineModeSwitchDialog::DoDataExchange(ui::DataExchange& exchange) {
    auto options = LineModeOptions::MemorySwitchOptions();
    for (std::size_t i = 0; i < options.size(); ++i) {
        exchange.Check(options[i].checkBoxId, options_[i].ticked);
        if (options[i].IsRadioPair()) {
            exchange.Radio(options[i].choiceId, options_[i].choice);
        } else {
            exchange.ListIndex(options[i].choiceId, options_[i].choice);
        }
    }
    exchange.Check(kSelectAll, selectAll_);
}

void LineModeSwitchDialog::OnCommand(ui::ControlId id, ui::Notification notification) {
    if (notification != ui::Notification::Clicked) {
        return;
    }
    if (int index = OptionIndex(id); index >= 0) {
        OnTick(index);
        return;
    }
    switch (id) {
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

void LineModeSwitchDialog::EnableChoice(int index, bool enable) {
    const LineModeOption& option = OptionAt(index);
    Host().EnableControl(option.choiceId, enable);
    if (option.IsRadioPair()) {
        Host().EnableControl(option.secondRadioId, enable);
    }
}

void LineModeSwitchDialog::OnTick(int index) {
    UpdateData(true);
    OptionState& state = options_[static_cast<std::size_t>(index)];
    EnableChoice(index, state.ticked);
    state.choice = state.ticked ? 0 : -1;
    UpdateData(false);
}

void LineModeSwitchDialog::OnSelectAll() {
    UpdateData(true);
    for (int checkBoxId : kSelectAllOrder) {
        int index = OptionIndex(checkBoxId);
        options_[static_cast<std::size_t>(index)].ticked = selectAll_;
        UpdateData(false);
        OnTick(index);
    }
}

void LineModeSwitchDialog::OnSet() {
    UpdateData(true);
    int added = 0;
    for (int i = 0; i < kOptionCount; ++i) {
        const OptionState& state = options_[static_cast<std::size_t>(i)];
        const LineModeOption& option = OptionAt(i);
        // A ticked option always has a choice; one without could only send a made-up value.
        if (!state.ticked || state.choice < 0 ||
            static_cast<std::size_t>(state.choice) >= option.values.size()) {
            continue;
        }
        commands_.AddSwitchOption(option.word, option.clearMask,
                                  option.values[static_cast<std::size_t>(state.choice)]);
        ++added;
    }
    if (added == 0) {
        Host().MessageBox("Don't select item.", "Warning", ui::Icon::Exclamation);
        return;
    }
    commands_.SendSwitchCommands(port_);
}

void LineModeSwitchDialog::OnPrint() {
    protocol::LineModeCommands::SendPrintStatus(port_, protocol::PrintStatusForm::OneNul);
}

}  // namespace corvane::linemode
