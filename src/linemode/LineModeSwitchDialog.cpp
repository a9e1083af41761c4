#include "linemode/LineModeSwitchDialog.h"

#include <vector>

#include "link/PrinterPort.h"
#include "operations/LineMode.h"
#include "resources/DialogTemplate.h"
#include "ui/DataExchange.h"

namespace corvane::linemode {

namespace {

using protocol::LineModeSetting;
namespace ids = resources::template143;

constexpr int kTitleStringId = 102;
constexpr int kNoSecondRadio = 0;

// The controls of one setting: its check box, its list or the first radio of its pair, and
// the second radio of a pair.
struct OptionControls {
    LineModeSetting setting;
    int checkBox;
    int choice;
    int secondRadio = kNoSecondRadio;

    bool IsRadioPair() const { return secondRadio != kNoSecondRadio; }
};

constexpr std::array<OptionControls, LineModeSwitchDialog::kOptionCount> kOptions = {{
    {LineModeSetting::RedAndBlackCommands, ids::kRedAndBlackCheck, ids::kRedAndBlackList},
    {LineModeSetting::CountrySpecification, ids::kCountrySpecificationCheck,
     ids::kCountrySpecificationFirstRadio, ids::kCountrySpecificationSecondRadio},
    {LineModeSetting::FfCommandFunction, ids::kFfCommandCheck, ids::kFfCommandFirstRadio,
     ids::kFfCommandSecondRadio},
    {LineModeSetting::ZeroStyle, ids::kZeroStyleCheck, ids::kZeroStyleFirstRadio,
     ids::kZeroStyleSecondRadio},
    {LineModeSetting::InternationalCharacters, ids::kInternationalCharactersCheck,
     ids::kInternationalCharactersList},
    {LineModeSetting::HowToRecoverToPrint, ids::kHowToRecoverCheck, ids::kHowToRecoverFirstRadio,
     ids::kHowToRecoverSecondRadio},
    {LineModeSetting::PaperWidth, ids::kPaperWidthCheck, ids::kPaperWidthList},
    {LineModeSetting::ContextualAutoCut, ids::kAutoCutCheck, ids::kAutoCutFirstRadio,
     ids::kAutoCutSecondRadio},
    {LineModeSetting::NearEndSwitch, ids::kNearEndSwitchCheck, ids::kNearEndSwitchList},
    {LineModeSetting::CharacterTable, ids::kCharacterTableCheck, ids::kCharacterTableList},
    {LineModeSetting::CrCommandFunction, ids::kCrCommandCheck, ids::kCrCommandList},
    {LineModeSetting::AutomaticStatus, ids::kAutomaticStatusCheck, ids::kAutomaticStatusFirstRadio,
     ids::kAutomaticStatusSecondRadio},
    {LineModeSetting::EscRsCommand, ids::kEscRsCheck, ids::kEscRsFirstRadio,
     ids::kEscRsSecondRadio},
    {LineModeSetting::DataReceptionError, ids::kDataReceptionErrorCheck,
     ids::kDataReceptionErrorFirstRadio, ids::kDataReceptionErrorSecondRadio},
}};

// Select All walks the options in this order.
constexpr std::array<int, LineModeSwitchDialog::kOptionCount> kSelectAllOrder = {
    ids::kRedAndBlackCheck,
    ids::kDataReceptionErrorCheck,
    ids::kEscRsCheck,
    ids::kFfCommandCheck,
    ids::kInternationalCharactersCheck,
    ids::kNearEndSwitchCheck,
    ids::kPaperWidthCheck,
    ids::kHowToRecoverCheck,
    ids::kZeroStyleCheck,
    ids::kAutoCutCheck,
    ids::kCharacterTableCheck,
    ids::kCountrySpecificationCheck,
    ids::kCrCommandCheck,
    ids::kAutomaticStatusCheck};

const OptionControls& ControlsAt(int index) {
    return kOptions[static_cast<std::size_t>(index)];
}

}  // namespace

LineModeSwitchDialog::LineModeSwitchDialog(link::PrinterPort& port)
    : ui::Dialog(ids::kTemplateId), port_(port), reporter_(*this, port.GetPlatform()) {}

int LineModeSwitchDialog::OptionIndex(int checkBoxId) {
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        if (kOptions[i].checkBox == checkBoxId) {
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
    Host().SetWindowTitle(resources::LoadString(kTitleStringId));
    // Options ticked at an earlier opening keep their choices, so their controls must be usable.
    for (int i = 0; i < kOptionCount; ++i) {
        EnableChoice(i, options_[static_cast<std::size_t>(i)].ticked);
    }
    return true;
}

void LineModeSwitchDialog::DoDataExchange(ui::DataExchange& exchange) {
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        exchange.Check(kOptions[i].checkBox, options_[i].ticked);
        if (kOptions[i].IsRadioPair()) {
            exchange.Radio(kOptions[i].choice, options_[i].choice);
        } else {
            exchange.ListIndex(kOptions[i].choice, options_[i].choice);
        }
    }
    exchange.Check(ids::kSelectAll, selectAll_);
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
        case ids::kSelectAll:
            OnSelectAll();
            break;
        case ids::kSet:
            OnSet();
            break;
        case ids::kPrintStatus:
            operations::PrintLineModeStatus(port_, protocol::PrintStatusForm::OneNul);
            break;
        case ids::kClose:
            OnOk();
            break;
        default:
            break;
    }
}

void LineModeSwitchDialog::EnableChoice(int index, bool enable) {
    const OptionControls& controls = ControlsAt(index);
    Host().EnableControl(controls.choice, enable);
    if (controls.IsRadioPair()) {
        Host().EnableControl(controls.secondRadio, enable);
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
    std::vector<operations::LineModeChoice> choices;
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        if (options_[i].ticked) {
            choices.push_back({kOptions[i].setting, options_[i].choice});
        }
    }
    operations::LineModeOutcome outcome =
        operations::SetLineModeSwitches(port_, choices, reporter_);
    if (outcome != operations::LineModeOutcome::NothingChosen) {
        service::KeepValuesRecord(history_, port_, "line mode", service::LineModeValues(choices),
                                  outcome == operations::LineModeOutcome::Sent, reporter_);
    }
}

}  // namespace corvane::linemode
