#pragma once

#include <array>

// The memory switch manager of printers in their own emulation.
namespace corvane::resources::template145 {

inline constexpr int kTemplateId = 145;
// The string that gives the window its title.
inline constexpr int kTitleString = 102;

// The labels and lists of pins 1 to 8 of the switch page shown.
inline constexpr int kPin1Label = 1063;
inline constexpr int kPin1List = 87;
constexpr int PinLabel(int pin) {
    return kPin1Label + pin - 1;
}
constexpr int PinList(int pin) {
    return kPin1List + pin - 1;
}
inline constexpr int kNearEndNote = 76;
inline constexpr int kCodePageGroup = 81;
inline constexpr int kCodePageList = 11;
inline constexpr int kSpecialCodePageList = 12;
inline constexpr int kPaperWidthGroup = 82;
inline constexpr int kPaperWidthList = 1060;
inline constexpr int kPowerSaveGroup = 83;
inline constexpr int kPowerSaveCheck = 96;
inline constexpr int kPowerSaveSeconds = 95;
inline constexpr int kModelText = 1061;
inline constexpr int kFirmwareLabel = 13;
inline constexpr int kFirmwareText = 1059;
inline constexpr int kLanguageText = 1062;
inline constexpr int kBaudList = 1013;
inline constexpr int kDataBitsList = 1014;
inline constexpr int kParityList = 1015;
inline constexpr int kFlowControlList = 1017;
inline constexpr int kMemorySwitchOn = 14;
inline constexpr int kPrintStatus = 1008;
inline constexpr int kGetStatus = 1002;
inline constexpr int kSetStatus = 1003;
inline constexpr int kSwitch1Page = 1071;
inline constexpr int kSwitch2Page = 1072;
inline constexpr int kSwitch5Page = 1073;
inline constexpr int kSaveStatus = 1004;
inline constexpr int kLoadStatus = 1005;
inline constexpr int kInitializeStatus = 1006;
inline constexpr int kProgress = 10;
inline constexpr int kExit = 1007;

// The start-up timer, which identifies the printer once the window is on screen.
inline constexpr int kStartupTimer = 18;

inline constexpr std::array kControlIds = {
    PinLabel(1),      PinLabel(2),     PinLabel(3),       PinLabel(4),     PinLabel(5),
    PinLabel(6),      PinLabel(7),     PinLabel(8),       PinList(1),      PinList(2),
    PinList(3),       PinList(4),      PinList(5),        PinList(6),      PinList(7),
    PinList(8),       kNearEndNote,    kCodePageGroup,    kCodePageList,   kSpecialCodePageList,
    kPaperWidthGroup, kPaperWidthList, kPowerSaveGroup,   kPowerSaveCheck, kPowerSaveSeconds,
    kModelText,       kFirmwareLabel,  kFirmwareText,     kLanguageText,   kBaudList,
    kDataBitsList,    kParityList,     kFlowControlList,  kMemorySwitchOn, kPrintStatus,
    kGetStatus,       kSetStatus,      kSwitch1Page,      kSwitch2Page,    kSwitch5Page,
    kSaveStatus,      kLoadStatus,     kInitializeStatus, kProgress,       kExit};

}  // namespace corvane::resources::template145
