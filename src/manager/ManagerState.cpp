#include "manager/ManagerState.h"

#include "operations/CodePages.h"
#include "operations/StatusValues.h"

namespace corvane::manager {

SwitchPage& ManagerState::CurrentSwitchPage() {
    if (currentPage == 2) {
        return switchPage2;
    }
    if (currentPage == 5) {
        return switchPage5;
    }
    return switchPage1;
}

operations::StatusRecord ManagerState::Values() const {
    operations::StatusRecord values;
    values.switchPage1 = switchPage1;
    values.switchPage2 = switchPage2;
    values.switchPage5 = switchPage5;
    values.baudIndex = baudIndex;
    values.dataBitsIndex = dataBitsIndex;
    values.flowControlIndex = flowControlIndex;
    values.parityIndex = parityIndex;
    values.paperWidthIndex = paperWidthIndex;
    values.usePowerSave = usePowerSave ? 1 : 0;
    values.powerSaveSeconds = powerSaveSeconds;
    return values;
}

void ManagerState::SetValues(const operations::StatusRecord& values) {
    switchPage1 = values.switchPage1;
    switchPage2 = values.switchPage2;
    switchPage5 = values.switchPage5;
    baudIndex = values.baudIndex;
    dataBitsIndex = values.dataBitsIndex;
    flowControlIndex = values.flowControlIndex;
    parityIndex = values.parityIndex;
    paperWidthIndex = values.paperWidthIndex;
    usePowerSave = values.usePowerSave != 0;
    powerSaveSeconds = values.powerSaveSeconds;
}

operations::StatusRecord ManagerState::Record() const {
    return operations::RecordForModel(model, Values());
}

void ManagerState::TakeRecord(const operations::StatusRecord& record) {
    operations::StatusRecord values = Values();
    operations::TakeRecord(model, record, values);
    SetValues(values);
    const SwitchPage& second = model == protocol::PrinterModel::Krt620 ? switchPage5 : switchPage2;
    for (std::size_t pin = 1; pin < second.size(); ++pin) {
        pinSelection[pin] = second[pin];
    }
}

void ManagerState::TakeCodePageSelection(int listIndex) {
    switchPage1 = {};
    // The KRT-310 family's pins 1 and 2 are not part of the code page; their lists keep theirs.
    const std::size_t firstPin = model == protocol::PrinterModel::Krt620 ? 1 : 3;
    for (std::size_t pin = firstPin; pin < pinSelection.size(); ++pin) {
        pinSelection[pin] = protocol::kPinSwitchOff;
    }
    if (std::optional<int> number = operations::CodePageNumber(model, listIndex)) {
        auto pins = protocol::CodePagePins(model);
        for (std::size_t bit = 0; bit < pins.size(); ++bit) {
            if (((*number >> bit) & 1) != 0) {
                const auto k = static_cast<std::size_t>(pins[bit]);
                pinSelection[k] = protocol::kPinSwitchOn;
                switchPage1[k] = protocol::kPinSwitchOn;
            }
        }
    }
}

}  // namespace corvane::manager
