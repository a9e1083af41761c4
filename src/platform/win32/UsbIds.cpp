#include "platform/win32/UsbIds.h"

#include <string>

#include "base/Text.h"

namespace corvane::platform::win32 {

namespace {

// Four hexadecimal digits right after the key ("vid_", "pid_"), found in any letter case.
std::optional<std::uint16_t> IdAfter(const std::string& lower, std::string_view key) {
    std::size_t at = lower.find(key);
    if (at == std::string::npos || at + key.size() + 4 > lower.size()) {
        return std::nullopt;
    }
    std::uint16_t value = 0;
    for (std::size_t i = at + key.size(); i < at + key.size() + 4; ++i) {
        char c = lower[i];
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return std::nullopt;
        }
        value = static_cast<std::uint16_t>(value * 16 + digit);
    }
    return value;
}

}  // namespace

std::optional<UsbIds> UsbIdsFromName(std::string_view name) {
    const std::string lower = base::Lower(name);
    auto vendor = IdAfter(lower, "vid_");
    auto product = IdAfter(lower, "&pid_");
    if (!vendor || !product) {
        return std::nullopt;
    }
    return UsbIds{*vendor, *product};
}

}  // namespace corvane::platform::win32
