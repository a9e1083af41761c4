#include "link/PortMap.h"

#include <utility>

#include "base/Text.h"
#include "link/NetworkAddress.h"

namespace corvane::link {

PortMap::PortMap(const std::map<std::string, std::string>& overrides) {
    for (const auto& [portName, devicePath] : overrides) {
        Override(portName, devicePath);
    }
}

bool PortMap::Override(std::string_view portName, std::string devicePath) {
    auto port = ParsePortName(portName);
    if (!port) {
        return false;
    }
    if (base::StartsWithIgnoringCase(devicePath, "tcp:")) {
        auto address = ParseNetworkAddress(devicePath);
        if (!address) {
            return false;
        }
        devicePath = FormatNetworkAddress(*address);
    }
    overrides_[*port] = std::move(devicePath);
    return true;
}

std::string PortMap::DevicePath(platform::Platform& platform, std::string_view portName) const {
    auto port = ParsePortName(portName);
    if (!port) {
        return {};
    }
    // Keyed by the port itself, so an override given as "lpt1" also holds for "LPT1:".
    if (auto given = overrides_.find(*port); given != overrides_.end()) {
        return given->second;
    }
    return platform.DefaultDevicePath(port->family, port->number);
}

}  // namespace corvane::link
