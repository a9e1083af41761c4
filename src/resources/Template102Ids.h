#pragma once

#include <array>

// The connection window, the program's main window.
namespace corvane::resources::template102 {

inline constexpr int kTemplateId = 102;
// The string that gives the window its title.
inline constexpr int kTitleString = 102;

inline constexpr int kModel310 = 80;
inline constexpr int kModel620 = 81;
inline constexpr int kPicture310 = 78;
inline constexpr int kPicture620 = 79;
inline constexpr int kSerial = 1018;
inline constexpr int kParallel = 1019;
inline constexpr int kUsb = 1020;
inline constexpr int kLptBox = 1028;
inline constexpr int kComBox = 1021;
inline constexpr int kBaudBox = 1024;
inline constexpr int kDataBitsBox = 1025;
inline constexpr int kParityBox = 1026;
inline constexpr int kStopBitsBox = 1027;
inline constexpr int kEmulationNative = 15;
inline constexpr int kEmulationOther = 16;
inline constexpr int kConnect = 1001;
inline constexpr int kDisconnect = 72;
inline constexpr int kSelfTest1 = 1023;
inline constexpr int kSelfTest2 = 1022;
inline constexpr int kRunManager = 1030;
inline constexpr int kAlignmentTool = 1031;

inline constexpr std::array kControlIds = {
    kModel310,    kModel620,        kPicture310,     kPicture620, kSerial,      kParallel,
    kUsb,         kLptBox,          kComBox,         kBaudBox,    kDataBitsBox, kParityBox,
    kStopBitsBox, kEmulationNative, kEmulationOther, kConnect,    kDisconnect,  kSelfTest1,
    kSelfTest2,   kRunManager,      kAlignmentTool};

}  // namespace corvane::resources::template102
