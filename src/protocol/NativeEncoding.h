#pragma once

// How the native command set encodes memory switch pins, the default code page and the serial
// communication items, in both directions: from the settings to the characters sent, and from
// the characters received back to the settings.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "product/SettingLists.h"
#include "protocol/PrinterModel.h"

namespace corvane::protocol {

// The choice for one memory switch pin; it equals the position in the pin's option list. A status
// file may bring any other number, which every encoder treats like "No Change".
using PinSetting = int;
inline constexpr PinSetting kPinNoChange = 0;
inline constexpr PinSetting kPinSwitchOn = 1;
inline constexpr PinSetting kPinSwitchOff = 2;

// One memory switch as the manager holds it: element k is pin k (1 to 8), element 0 is no pin.
using SwitchPins = std::array<PinSetting, 9>;

// Eight pin characters as they travel, pin 8 first and pin 1 last.
using PinBlock = std::array<std::uint8_t, 8>;

inline constexpr std::uint8_t kPinCharacterOff = '0';
inline constexpr std::uint8_t kPinCharacterOn = '1';
inline constexpr std::uint8_t kPinCharacterKeep = '2';
inline constexpr PinBlock kKeepEveryPin = {'2', '2', '2', '2', '2', '2', '2', '2'};

// '0' is "Switch Off", '1' is "Switch On"; the printer means "leave as is" by anything else.
PinSetting PinSettingFromCharacter(std::uint8_t character);
// "Switch On" sends '1', "Switch Off" '0'; any other setting keeps the template's character.
std::uint8_t PinCharacter(PinSetting setting, std::uint8_t templateCharacter = kPinCharacterKeep);
// The block for a switch whose pins left at "No Change" are sent as '2'.
PinBlock BlockFromPins(const SwitchPins& pins);
// The pins of a received block; element 0 stays "No Change".
SwitchPins PinsFromBlock(const PinBlock& block);

// The pin that holds bit k of the default code page number, per family: the KRT-310 family keeps
// six bits in pins 4 to 8 and 3 (pins 1 and 2 are not part of the number), the KRT-620 all eight.
inline constexpr std::array<int, 6> kKrt310CodePagePins = {4, 5, 6, 7, 8, 3};
inline constexpr std::array<int, 8> kKrt620CodePagePins = {1, 2, 3, 4, 5, 6, 7, 8};
std::span<const int> CodePagePins(PrinterModel model);

// Block A of SetMemorySwitches for a code page number: the number's pins '0' or '1', and on the
// KRT-310 family pins 2 and 1 as '2'. Bits the family cannot hold, and negative numbers, are
// dropped rather than spilling into other pins.
PinBlock CodePageBlock(PrinterModel model, int codePageNumber);
// The code page number that the "Switch On" pins of a code page switch spell.
int CodePageNumberFromPins(PrinterModel model, const SwitchPins& pins);

// The switch selectors of TransmitMemorySwitch: number bytes for the KRT-310 family, ASCII
// digits for the KRT-620.
inline constexpr std::uint8_t kKrt310CodePageSwitch = 0x02;
inline constexpr std::uint8_t kKrt310Switch8 = 0x08;
inline constexpr std::uint8_t kKrt620CodePageSwitch = '1';
inline constexpr std::uint8_t kKrt620Switch5 = '5';

// The items of TransmitSerialSetting and TransmitCustomizedValue.
inline constexpr std::uint8_t kSerialItemSpeed = 0x01;
inline constexpr std::uint8_t kSerialItemParity = 0x02;
inline constexpr std::uint8_t kSerialItemFlowControl = 0x03;
inline constexpr std::uint8_t kSerialItemDataBits = 0x04;
inline constexpr std::uint8_t kCustomizedItemPaperWidth = 0x03;

// The printer's serial communication items and its paper width; an item left empty is left as
// the printer has it ("No Change").
using product::FlowControl;
using product::PaperWidth;
using product::Parity;

struct SerialSettings {
    std::optional<std::uint32_t> speed;  // bits per second: 1200, 2400, 4800, 9600 or 19200
    std::optional<Parity> parity;
    std::optional<FlowControl> flowControl;
    std::optional<std::uint32_t> dataBits;  // 7 or 8

    bool operator==(const SerialSettings&) const = default;
};

// Encoders for SetSerialSettings and SetCustomizedValue, the speeds as the product's speed list
// writes them: an empty text or a 00 byte for an item
// left as it is, and for a speed or a number of data bits the printer does not have, which it
// must never be sent.
std::string_view SpeedText(std::optional<std::uint32_t> speed);
std::uint8_t ParityCharacter(std::optional<Parity> parity);
std::uint8_t FlowControlCharacter(std::optional<FlowControl> flowControl);
std::uint8_t DataBitsCharacter(std::optional<std::uint32_t> dataBits);
// 02, 04 or 05; the paper width is received as the characters '2', '4' and '5'.
std::uint8_t PaperWidthCode(PaperWidth width);

// Decoders of the value replies; empty for anything the printer should not have sent.
std::optional<std::uint32_t> SpeedFromText(std::string_view text);
std::optional<Parity> ParityFromCharacter(std::uint8_t character);
std::optional<FlowControl> FlowControlFromCharacter(std::uint8_t character);
std::optional<std::uint32_t> DataBitsFromCharacter(std::uint8_t character);
std::optional<PaperWidth> PaperWidthFromCharacter(std::uint8_t character);

}  // namespace corvane::protocol
