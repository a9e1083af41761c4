#pragma once

// How the native command set encodes memory switch pins, the default code page and the serial
// communication items, in both directions: from the manager's choices to the characters sent, and
// from the characters received back to the manager's list positions.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

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

// The serial communication items as positions in the manager's lists; 0 is "No Change".
struct SerialSettings {
    int baudIndex = 0;         // 1 "1200", 2 "2400", 3 "4800", 4 "9600", 5 "19200"
    int parityIndex = 0;       // 1 "None", 2 "Odd", 3 "Even"
    int flowControlIndex = 0;  // 1 "DTR/DSR", 2 "Xon/Xoff"
    int dataBitsIndex = 0;     // 1 "7", 2 "8"
};

// Values of list positions 1, 2, ... as the printer sends and takes them.
inline constexpr std::array<std::string_view, 5> kSpeedTexts = {"1200", "2400", "4800", "9600",
                                                                "19200"};
inline constexpr std::array<std::uint32_t, 5> kSpeeds = {1200, 2400, 4800, 9600, 19200};
inline constexpr std::array<std::uint8_t, 3> kParityCharacters = {'0', '1', '2'};
inline constexpr std::array<std::uint8_t, 2> kFlowControlCharacters = {'0', '1'};
inline constexpr std::array<std::uint8_t, 2> kDataBitsCharacters = {'7', '8'};
// Paper widths 57.5 mm, 69.5 mm and 76 mm: received as characters, sent as number bytes.
inline constexpr std::array<std::uint8_t, 3> kPaperWidthCharacters = {'2', '4', '5'};
inline constexpr std::array<std::uint8_t, 3> kPaperWidthCodes = {0x02, 0x04, 0x05};
// Sent for a paper width position that the list does not have.
inline constexpr std::uint8_t kUnknownPaperWidthCode = 0xFF;

// Encoders for SetSerialSettings: empty text or 00 for "No Change" and for unknown positions.
std::string_view SpeedText(int baudIndex);
std::uint8_t ParityCharacter(int parityIndex);
std::uint8_t FlowControlCharacter(int flowControlIndex);
std::uint8_t DataBitsCharacter(int dataBitsIndex);
// The paper width byte of SetCustomizedValue; 0 means nothing is to be sent.
std::uint8_t PaperWidthCode(int paperWidthIndex);

// Decoders of the value replies: a list position, 0 for anything unknown.
int BaudIndexFromText(std::string_view text);
int ParityIndexFromCharacter(std::uint8_t character);
int FlowControlIndexFromCharacter(std::uint8_t character);
int DataBitsIndexFromCharacter(std::uint8_t character);
int PaperWidthIndexFromCharacter(std::uint8_t character);

}  // namespace corvane::protocol
