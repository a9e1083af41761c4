#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::platform::win32 {

struct UsbIds {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// The vendor and product ids that a Windows device path or device instance id carries, as in
// \\?\usb#vid_2c9a&pid_0002#... or USB\VID_2C9A&PID_0002\...; nothing when it carries none.
std::optional<UsbIds> UsbIdsFromName(std::string_view name);

}  // namespace corvane::platform::win32
