#pragma once

#include <map>
#include <string>
#include <string_view>

#include "link/PortNames.h"
#include "platform/Platform.h"

namespace corvane::link {

// Which device each port name of the program opens: the device the user gave for that port
// (--port NAME=DEVICE, where DEVICE may be a printer on the network, tcp:HOST[:PORT]), else the
// platform's own device of the port.
class PortMap {
public:
    PortMap() = default;
    // Port name to device, as --port gives them; a name of no port is left out.
    explicit PortMap(const std::map<std::string, std::string>& overrides);

    // Points a port, named in any of its spellings ("COM3", "\\.\COM3", "lpt1"), at a device; a
    // network address is kept as FormatNetworkAddress writes it. False, and nothing changed, for
    // a name of no port, or a device that begins as a network address ("tcp:") but does not read
    // as one.
    bool Override(std::string_view portName, std::string devicePath);

    // The device behind a port name on the platform; empty for a name of no port.
    std::string DevicePath(platform::Platform& platform, std::string_view portName) const;

private:
    std::map<PortId, std::string> overrides_;
};

}  // namespace corvane::link
