#include "protocol/NativeEncoding.h"

#include <algorithm>

namespace corvane::protocol {

namespace {

// The characters of each item in the order of its enumerators, as the printer sends and takes
// them.
constexpr std::array<std::uint8_t, 3> kParityCharacters = {'0', '1', '2'};
constexpr std::array<std::uint8_t, 2> kFlowControlCharacters = {'0', '1'};
constexpr std::array<std::uint32_t, 2> kDataBits = {7, 8};
constexpr std::array<std::uint8_t, 2> kDataBitsCharacters = {'7', '8'};
constexpr std::array<std::uint8_t, 3> kPaperWidthCharacters = {'2', '4', '5'};
constexpr std::array<std::uint8_t, 3> kPaperWidthCodes = {0x02, 0x04, 0x05};

template <typename Table, typename Iterator>
std::size_t Index(const Table& table, Iterator it) {
    return static_cast<std::size_t>(it - table.begin());
}

// The enumerator whose character is the one received, or nothing.
template <typename Enum, typename Table>
std::optional<Enum> EnumAt(const Table& characters, std::uint8_t character) {
    auto it = std::find(characters.begin(), characters.end(), character);
    if (it == characters.end()) {
        return std::nullopt;
    }
    return static_cast<Enum>(Index(characters, it));
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

std::string_view SpeedText(std::optional<std::uint32_t> speed) {
    const auto& speeds = product::kSerialSpeeds;
    auto it = std::find_if(speeds.begin(), speeds.end(),
                           [&](const auto& choice) { return choice.value == speed.value_or(0); });
    return it == speeds.end() ? std::string_view{} : it->text;
}

std::uint8_t ParityCharacter(std::optional<Parity> parity) {
    return parity ? kParityCharacters[static_cast<std::size_t>(*parity)] : 0;
}

std::uint8_t FlowControlCharacter(std::optional<FlowControl> flowControl) {
    return flowControl ? kFlowControlCharacters[static_cast<std::size_t>(*flowControl)] : 0;
}

std::uint8_t DataBitsCharacter(std::optional<std::uint32_t> dataBits) {
    auto it = std::find(kDataBits.begin(), kDataBits.end(), dataBits.value_or(0));
    return it == kDataBits.end() ? 0 : kDataBitsCharacters[Index(kDataBits, it)];
}

std::uint8_t PaperWidthCode(PaperWidth width) {
    return kPaperWidthCodes[static_cast<std::size_t>(width)];
}

std::optional<std::uint32_t> SpeedFromText(std::string_view text) {
    const auto& speeds = product::kSerialSpeeds;
    auto it = std::find_if(speeds.begin(), speeds.end(),
                           [&](const auto& choice) { return choice.text == text; });
    if (it == speeds.end()) {
        return std::nullopt;
    }
    return it->value;
}

std::optional<Parity> ParityFromCharacter(std::uint8_t character) {
    return EnumAt<Parity>(kParityCharacters, character);
}

std::optional<FlowControl> FlowControlFromCharacter(std::uint8_t character) {
    return EnumAt<FlowControl>(kFlowControlCharacters, character);
}

std::optional<std::uint32_t> DataBitsFromCharacter(std::uint8_t character) {
    auto it = std::find(kDataBitsCharacters.begin(), kDataBitsCharacters.end(), character);
    if (it == kDataBitsCharacters.end()) {
        return std::nullopt;
    }
    return kDataBits[Index(kDataBitsCharacters, it)];
}

std::optional<PaperWidth> PaperWidthFromCharacter(std::uint8_t character) {
    return EnumAt<PaperWidth>(kPaperWidthCharacters, character);
}

}  // namespace corvane::protocol
