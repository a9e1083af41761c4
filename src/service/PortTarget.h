#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/PortMap.h"

namespace corvane::service {

// A printer's place as the user names it: a port name of the window ("COM3", "\\.\COM12",
// "LPT1:", "USB"), a device path, a printer on the network (tcp:HOST[:PORT]), or NAME=DEVICE. A
// device path is opened as the port name of its kind would be, and a network address as a
// serial port, so that queues and traces treat them alike.
struct PortTarget {
    std::string given;     // as written, for messages
    std::string portName;  // what the printer port opens
    std::optional<std::string> device;

    // The port map that points the port name at the device, where one was given.
    link::PortMap Ports() const;
};

// False with a message for the user when the text names no port.
bool ParsePortTarget(const std::string& text, PortTarget& target, std::string& error);

// Reads every text as ParsePortTarget does, in order; false with a message for the user when one
// names no port or two name the same port and device.
bool ParsePortTargets(const std::vector<std::string>& texts, std::vector<PortTarget>& targets,
                      std::string& error);

// The target as a part of a file name: "COM3", "dev-ttyUSB0".
std::string FileNamePart(const PortTarget& target);

}  // namespace corvane::service
