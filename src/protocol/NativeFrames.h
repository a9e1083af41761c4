#pragma once

// The frames of the native command set: one constant table, copied and patched per use.
//
// Setting frames are BS '^' 'E' pL pH fn [parameters], where pL + pH x 256 counts the bytes after
// pH; power save frames are BS '^' 'P' s [parameters]. Two commands go out in parts:
// SetMemorySwitches as its 14-byte head with block A and then block B, SetSerialSettings as its
// head, the speed digits, and one byte each for parity, flow control and data bits.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/NativeEncoding.h"

namespace corvane::protocol {

enum class NativeFrame : std::size_t {
    EnterUserSetting,
    EndUserSetting,
    SetMemorySwitchesHead,
    TransmitMemorySwitch,
    SetCustomizedValue,
    TransmitCustomizedValue,
    SetSerialSettingsHead,
    TransmitSerialSetting,
    SetPowerSave,
    TransmitPowerSave,
};

inline constexpr std::size_t kFrameCapacity = 14;

// A frame or one part of a multi-part frame, with the length handed to the port.
struct Frame {
    std::array<std::uint8_t, kFrameCapacity> bytes{};
    std::uint32_t length = 0;

    std::span<const std::uint8_t> Bytes() const { return {bytes.data(), length}; }
};

// The frame table, in the order of NativeFrame; variable bytes hold 00 (block A holds '2').
inline constexpr std::array<Frame, 10> kNativeFrames = {{
    {{0x08, 0x5E, 0x45, 0x01, 0x00, 0x01}, 6},
    {{0x08, 0x5E, 0x45, 0x01, 0x00, 0x02}, 6},
    {{0x08, 0x5E, 0x45, 0x11, 0x00, 0x03, '2', '2', '2', '2', '2', '2', '2', '2'}, 14},
    {{0x08, 0x5E, 0x45, 0x02, 0x00, 0x04, 0x00}, 7},
    {{0x08, 0x5E, 0x45, 0x03, 0x00, 0x05, 0x00, 0x00}, 8},
    {{0x08, 0x5E, 0x45, 0x02, 0x00, 0x06, 0x03}, 7},
    {{0x08, 0x5E, 0x45, 0x08, 0x00, 0x0B}, 6},
    {{0x08, 0x5E, 0x45, 0x02, 0x00, 0x0C, 0x00}, 7},
    {{0x08, 0x5E, 0x50, 0x30, 0x00, 0x00}, 6},
    {{0x08, 0x5E, 0x50, 0x31}, 4},
}};

// Offsets of the variable bytes.
inline constexpr std::size_t kLengthLowOffset = 3;
inline constexpr std::size_t kParameterOffset = 6;  // selector, item, paper width, block A
inline constexpr std::size_t kPowerSaveFlagOffset = 4;
inline constexpr std::size_t kPowerSaveSecondsOffset = 5;

// A fresh copy of a table entry.
Frame CopyFrame(NativeFrame frame);

Frame TransmitMemorySwitchFrame(std::uint8_t selector);
Frame TransmitSerialSettingFrame(std::uint8_t item);
Frame SetCustomizedValueFrame(PaperWidth width);
// The flag byte is 01 when power save is used; the seconds go out as their low byte.
Frame SetPowerSaveFrame(bool usePowerSave, int seconds);

// The two parts of SetMemorySwitches: the head with block A, then block B.
std::vector<Frame> SetMemorySwitchesParts(const PinBlock& blockA, const PinBlock& blockB);
// The five parts of SetSerialSettings; pL is 09 for the five-digit speed and 08 otherwise, and an
// item at "No Change" goes out as NUL bytes.
std::vector<Frame> SetSerialSettingsParts(const SerialSettings& settings);

}  // namespace corvane::protocol
