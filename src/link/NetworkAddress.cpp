#include "link/NetworkAddress.h"

#include <charconv>

#include "base/Text.h"
#include "platform/Platform.h"

namespace corvane::link {

namespace {

constexpr std::string_view kScheme = "tcp:";

std::optional<std::uint16_t> ParsePort(std::string_view digits) {
    unsigned value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value == 0 ||
        value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<NetworkAddress> ParseNetworkAddress(std::string_view text) {
    if (!base::StartsWithIgnoringCase(text, kScheme)) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(kScheme.size());
    NetworkAddress address;
    std::string_view port;
    if (rest.starts_with('[')) {
        auto close = rest.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        address.host = rest.substr(1, close - 1);
        std::string_view after = rest.substr(close + 1);
        if (!after.empty()) {
            if (!after.starts_with(':')) {
                return std::nullopt;
            }
            port = after.substr(1);
            if (port.empty()) {
                return std::nullopt;
            }
        }
    } else {
        auto colon = rest.find(':');
        address.host = rest.substr(0, colon);
        if (colon != std::string_view::npos) {
            port = rest.substr(colon + 1);
            if (port.empty()) {
                return std::nullopt;
            }
        }
    }
    // A host never holds a slash, a space or a colon outside brackets; a path or URL is no host.
    if (address.host.empty() || address.host.find_first_of("/\\ \t@?#") != std::string::npos) {
        return std::nullopt;
    }
    if (!port.empty()) {
        auto number = ParsePort(port);
        if (!number) {
            return std::nullopt;
        }
        address.port = *number;
    }
    return address;
}

std::string FormatNetworkAddress(const NetworkAddress& address) {
    return platform::NetworkDeviceName(address.host, address.port);
}

}  // namespace corvane::link
