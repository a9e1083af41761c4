#include "protocol/NativeEncoding.h"

#include <algorithm>

namespace corvane::protocol {

namespace {

// The entry of a 1-based list position, or the fallback for "No Change" and unknown positions.
template <typename Table, typename Value>
Value AtPosition(const Table& table, int position, Value fallback) {
    if (position < 1 || position > static_cast<int>(table.size())) {
        return fallback;
    }
    return table[static_cast<std::size_t>(position - 1)];
}

// The 1-based list position of a value, 0 when the table lacks it.
template <typename Table, typename Value>
int PositionOf(const Table& table, const Value& value) {
    auto it = std::find(table.begin(), table.end(), value);
    return it == table.end() ? 0 : static_cast<int>(it - table.begin()) + 1;
}

// Block offset of pin k: pin 8 travels first.
constexpr std::size_t BlockOffset(int pin) {
    return static_cast<std::size_t>(8 - pin);
}

}  // namespace

PinSetting PinSettingFromCharacter(std::uint8_t character) {
    if (character == kPinCharacterOff) {
        return kPinSwitchOff;
    }
    if (character == kPinCharacterOn) {
        return kPinSwitchOn;
    }
    return kPinNoChange;
}

std::uint8_t PinCharacter(PinSetting setting, std::uint8_t templateCharacter) {
    if (setting == kPinSwitchOn) {
        return kPinCharacterOn;
    }
    if (setting == kPinSwitchOff) {
        return kPinCharacterOff;
    }
    return templateCharacter;
}

PinBlock BlockFromPins(const SwitchPins& pins) {
    PinBlock block = kKeepEveryPin;
    for (int pin = 1; pin <= 8; ++pin) {
        block[BlockOffset(pin)] = PinCharacter(pins[static_cast<std::size_t>(pin)]);
    }
    return block;
}

SwitchPins PinsFromBlock(const PinBlock& block) {
    SwitchPins pins{};
    for (int pin = 1; pin <= 8; ++pin) {
        pins[static_cast<std::size_t>(pin)] = PinSettingFromCharacter(block[BlockOffset(pin)]);
    }
    return pins;
}

std::span<const int> CodePagePins(PrinterModel model) {
    if (model == PrinterModel::Krt620) {
        return kKrt620CodePagePins;
    }
    return kKrt310CodePagePins;
}

PinBlock CodePageBlock(PrinterModel model, int codePageNumber) {
    PinBlock block = kKeepEveryPin;
    auto pins = CodePagePins(model);
    auto number = static_cast<unsigned>(std::max(codePageNumber, 0));
    for (std::size_t bit = 0; bit < pins.size(); ++bit) {
        bool on = ((number >> bit) & 1u) != 0;
        block[BlockOffset(pins[bit])] = on ? kPinCharacterOn : kPinCharacterOff;
    }
    return block;
}

int CodePageNumberFromPins(PrinterModel model, const SwitchPins& pins) {
    auto codePins = CodePagePins(model);
    int number = 0;
    for (std::size_t bit = 0; bit < codePins.size(); ++bit) {
        if (pins[static_cast<std::size_t>(codePins[bit])] == kPinSwitchOn) {
            number |= 1 << bit;
        }
    }
    return number;
}

std::string_view SpeedText(int baudIndex) {
    return AtPosition(kSpeedTexts, baudIndex, std::string_view{});
}

std::uint8_t ParityCharacter(int parityIndex) {
    return AtPosition(kParityCharacters, parityIndex, std::uint8_t{0});
}

std::uint8_t FlowControlCharacter(int flowControlIndex) {
    return AtPosition(kFlowControlCharacters, flowControlIndex, std::uint8_t{0});
}

std::uint8_t DataBitsCharacter(int dataBitsIndex) {
    return AtPosition(kDataBitsCharacters, dataBitsIndex, std::uint8_t{0});
}

std::uint8_t PaperWidthCode(int paperWidthIndex) {
    if (paperWidthIndex == 0) {
        return 0;
    }
    return AtPosition(kPaperWidthCodes, paperWidthIndex, kUnknownPaperWidthCode);
}

int BaudIndexFromText(std::string_view text) {
    return PositionOf(kSpeedTexts, text);
}

int ParityIndexFromCharacter(std::uint8_t character) {
    return PositionOf(kParityCharacters, character);
}

int FlowControlIndexFromCharacter(std::uint8_t character) {
    return PositionOf(kFlowControlCharacters, character);
}

int DataBitsIndexFromCharacter(std::uint8_t character) {
    return PositionOf(kDataBitsCharacters, character);
}

int PaperWidthIndexFromCharacter(std::uint8_t character) {
    return PositionOf(kPaperWidthCharacters, character);
}

}  // namespace corvane::protocol
