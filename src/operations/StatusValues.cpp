#include "operations/StatusValues.h"

#include <algorithm>
#include <array>
#include <vector>

#include "operations/CodePages.h"
#include "resources/DialogTemplate.h"
#include "resources/Template145Ids.h"

namespace corvane::operations {

namespace {

namespace ids = resources::template145;
using protocol::PrinterModel;

// The serial speeds, parities, flow controls, data bits and paper widths in the order of their
// lists, after "No Change".
constexpr std::array<std::uint32_t, 5> kSpeedItems = {1200, 2400, 4800, 9600, 19200};
constexpr std::array<protocol::Parity, 3> kParityItems = {
    protocol::Parity::None, protocol::Parity::Odd, protocol::Parity::Even};
constexpr std::array<protocol::FlowControl, 2> kFlowControlItems = {protocol::FlowControl::DtrDsr,
                                                                    protocol::FlowControl::XonXoff};
constexpr std::array<std::uint32_t, 2> kDataBitsItems = {7, 8};
constexpr std::array<protocol::PaperWidth, 3> kPaperWidthItems = {
    protocol::PaperWidth::Mm57_5, protocol::PaperWidth::Mm69_5, protocol::PaperWidth::Mm76};

// The value of a list position; nothing for "No Change" and for positions the list lacks.
template <typename Items>
auto ItemAt(const Items& items, int index) -> std::optional<typename Items::value_type> {
    if (index < 1 || static_cast<std::size_t>(index) > items.size()) {
        return std::nullopt;
    }
    return items[static_cast<std::size_t>(index - 1)];
}

// The list position of a value; 0 ("No Change") for nothing or a value the list lacks.
template <typename Items, typename Value>
int IndexOf(const Items& items, const std::optional<Value>& value) {
    if (!value) {
        return 0;
    }
    auto it = std::find(items.begin(), items.end(), *value);
    return it == items.end() ? 0 : static_cast<int>(it - items.begin()) + 1;
}

// The template is where the window takes its lists from, so the texts are the window's own.
std::vector<std::string> TemplateItems(int controlId) {
    const resources::DialogTemplate* manager = resources::FindTemplate(ids::kTemplateId);
    const resources::ControlTemplate* control =
        manager == nullptr ? nullptr : manager->Find(controlId);
    return control == nullptr ? std::vector<std::string>{} : control->items;
}

}  // namespace

std::span<const std::string> ListItems(SettingList list) {
    static const std::array<std::vector<std::string>, 5> kItems = {
        TemplateItems(ids::kBaudList), TemplateItems(ids::kDataBitsList),
        TemplateItems(ids::kParityList), TemplateItems(ids::kFlowControlList),
        TemplateItems(ids::kPaperWidthList)};
    return kItems[static_cast<std::size_t>(list)];
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
    values.baudIndex = IndexOf(kSpeedItems, status.serial.speed);
    values.parityIndex = IndexOf(kParityItems, status.serial.parity);
    values.flowControlIndex = IndexOf(kFlowControlItems, status.serial.flowControl);
    values.dataBitsIndex = IndexOf(kDataBitsItems, status.serial.dataBits);
    values.paperWidthIndex = IndexOf(kPaperWidthItems, status.paperWidth);
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
    write.paperWidth = ItemAt(kPaperWidthItems, values.paperWidthIndex);
    write.serial.speed = ItemAt(kSpeedItems, values.baudIndex);
    write.serial.parity = ItemAt(kParityItems, values.parityIndex);
    write.serial.flowControl = ItemAt(kFlowControlItems, values.flowControlIndex);
    write.serial.dataBits = ItemAt(kDataBitsItems, values.dataBitsIndex);
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
