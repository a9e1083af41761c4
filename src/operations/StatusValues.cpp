#include "operations/StatusValues.h"

#include <algorithm>
#include <array>
#include <vector>

#include "operations/CodePages.h"
#include "product/SettingLists.h"

namespace corvane::operations {

namespace {

using product::kDataBits;
using product::kFlowControls;
using product::kPaperWidths;
using product::kParities;
using product::kSerialSpeeds;
using protocol::PrinterModel;

// The value of a list position; nothing for "No Change" and for positions the list lacks.
template <typename Value, std::size_t Count>
std::optional<Value> ItemAt(const std::array<product::Choice<Value>, Count>& items, int index) {
    if (index < 1 || static_cast<std::size_t>(index) > Count) {
        return std::nullopt;
    }
    return items[static_cast<std::size_t>(index - 1)].value;
}

// The list position of a value; 0 ("No Change") for nothing or a value the list lacks.
template <typename Value, std::size_t Count>
int IndexOf(const std::array<product::Choice<Value>, Count>& items,
            const std::optional<Value>& value) {
    std::optional<int> position = value ? product::PositionOf(items, *value) : std::nullopt;
    return position ? *position + 1 : 0;
}

}  // namespace

std::span<const std::string> ListItems(SettingList list) {
    // The manager's lists show "No Change" first.
    using product::Texts;
    static const std::array<std::vector<std::string>, 5> kItems = {
        Texts(kSerialSpeeds, true), Texts(kDataBits, true), Texts(kParities, true),
        Texts(kFlowControls, true), Texts(kPaperWidths, true)};
    return kItems[static_cast<std::size_t>(list)];
}

void TakeFactorySettings(StatusRecord& values) {
    const product::FactorySettings& factory = product::kFactorySettings;
    values.baudIndex = IndexOf(kSerialSpeeds, std::optional(factory.speed));
    values.dataBitsIndex = IndexOf(kDataBits, std::optional(factory.dataBits));
    values.parityIndex = IndexOf(kParities, std::optional(factory.parity));
    values.flowControlIndex = IndexOf(kFlowControls, std::optional(factory.flowControl));
    values.paperWidthIndex = IndexOf(kPaperWidths, std::optional(factory.paperWidth));
    values.usePowerSave = factory.usePowerSave ? 1 : 0;
    values.powerSaveSeconds = factory.powerSaveSeconds;
}

StatusRecord UnsetValues() {
    StatusRecord values;
    values.baudIndex = values.dataBitsIndex = values.flowControlIndex = values.parityIndex =
        values.paperWidthIndex = -1;
    return values;
}

void TakeStatus(PrinterModel model, const NativeStatus& status, StatusRecord& values) {
    values.switchPage1 = status.codePageSwitch;
    if (model == PrinterModel::Krt620) {
        values.switchPage5 = status.secondSwitch;
        return;
    }
    values.switchPage2 = status.secondSwitch;
    values.baudIndex = IndexOf(kSerialSpeeds, status.serial.speed);
    values.parityIndex = IndexOf(kParities, status.serial.parity);
    values.flowControlIndex = IndexOf(kFlowControls, status.serial.flowControl);
    values.dataBitsIndex = IndexOf(kDataBits, status.serial.dataBits);
    values.paperWidthIndex = IndexOf(kPaperWidths, status.paperWidth);
    values.usePowerSave = status.powerSave && status.powerSave->use ? 1 : 0;
    if (status.powerSave) {
        values.powerSaveSeconds = status.powerSave->seconds;
    }
}

void TakeRecord(PrinterModel model, const StatusRecord& record, StatusRecord& values) {
    for (int pin = 1; pin <= 8; ++pin) {
        const auto k = static_cast<std::size_t>(pin);
        values.switchPage1[k] = record.switchPage1[k];
        if (model == PrinterModel::Krt620) {
            values.switchPage5[k] = record.switchPage5[k];
        } else {
            values.switchPage2[k] = record.switchPage2[k];
        }
    }
    if (model == PrinterModel::Krt310Family) {
        values.baudIndex = record.baudIndex;
        values.dataBitsIndex = record.dataBitsIndex;
        values.flowControlIndex = record.flowControlIndex;
        values.parityIndex = record.parityIndex;
        values.paperWidthIndex = record.paperWidthIndex;
    }
    values.usePowerSave = record.usePowerSave;
    values.powerSaveSeconds = record.powerSaveSeconds;
}

int CodePageSelection(PrinterModel model, const protocol::SwitchPins& switchPage1,
                      bool statusLoaded, int shownSelection) {
    int number = protocol::CodePageNumberFromPins(model, switchPage1);
    std::optional<int> position = CodePagePosition(model, number);
    // A number that no entry carries shows no entry rather than a wrong one.
    if (!position) {
        return -1;
    }
    if (!statusLoaded && number == 0 && CodePageNumber(model, shownSelection) != 0) {
        return 0;
    }
    return *position + 1;
}

StatusWrite StatusToWrite(PrinterModel model, const StatusRecord& values, int codePageSelection,
                          const std::string& modelText) {
    StatusWrite write;
    // The code page is written from the list's selection; no selection leaves the printer's.
    write.codePage = CodePageNumber(model, codePageSelection);
    if (model == PrinterModel::Krt620) {
        write.secondSwitch = values.switchPage5;
        return write;
    }
    write.secondSwitch = values.switchPage2;
    write.paperWidth = ItemAt(kPaperWidths, values.paperWidthIndex);
    write.serial.speed = ItemAt(kSerialSpeeds, values.baudIndex);
    write.serial.parity = ItemAt(kParities, values.parityIndex);
    write.serial.flowControl = ItemAt(kFlowControls, values.flowControlIndex);
    write.serial.dataBits = ItemAt(kDataBits, values.dataBitsIndex);
    write.powerSave = {values.usePowerSave != 0, values.powerSaveSeconds};
    write.modelText = modelText;
    return write;
}

protocol::SwitchPins SwitchPage1ForSelection(PrinterModel model, int codePageSelection) {
    protocol::SwitchPins pins{};
    for (int pin = 1; pin <= 8; ++pin) {
        pins[static_cast<std::size_t>(pin)] = protocol::kPinSwitchOff;
    }
    std::optional<int> number = CodePageNumber(model, codePageSelection);
    auto codePagePins = protocol::CodePagePins(model);
    for (std::size_t bit = 0; bit < codePagePins.size(); ++bit) {
        bool on = !number || ((*number >> bit) & 1) != 0;
        pins[static_cast<std::size_t>(codePagePins[bit])] =
            on ? protocol::kPinSwitchOn : protocol::kPinSwitchOff;
    }
    return pins;
}

}  // namespace corvane::operations
