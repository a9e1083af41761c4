#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "product/SettingLists.h"

namespace corvane::link {

using platform::PortFamily;

// A program port name, understood: COM1 to COM14 or LPT1 to LPT4.
struct PortId {
    PortFamily family = PortFamily::Serial;
    int number = 1;  // as the user counts, from 1

    auto operator<=>(const PortId&) const = default;
};

inline constexpr int kSerialPortCount = static_cast<int>(product::kSerialPortNames.size());
inline constexpr int kParallelPortCount = static_cast<int>(product::kParallelPortNames.size());

// Understands "COM1" to "COM9", "\\.\COM1" to "\\.\COM14", "COM10" to "COM14", and "LPT1" to
// "LPT4" with or without the trailing colon, in any letter case. Anything else is no port.
std::optional<PortId> ParsePortName(std::string_view name);

// The name the connection window uses for a port: "COM3", "\\.\COM12", "LPT2:"; empty for a
// number past the window's ports.
std::string CanonicalPortName(const PortId& port);

}  // namespace corvane::link
