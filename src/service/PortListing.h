#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "service/DeviceAccess.h"
#include "sim/Model.h"

namespace corvane::service {

struct PortListingRequest {
    // Device paths, or NAME=DEVICE to point a port name elsewhere, besides the window's names.
    std::vector<std::string> ports;
    // A simulated printer behind every port: every device is there and usable.
    std::optional<sim::Model> simulate;
    DeviceRoots roots;
};

// A port name of the window, or a device path given, with its device and what is in the way.
struct PortEntry {
    std::string port;
    std::string device;
    std::string kind;  // "serial", "parallel" or "network"
    // Its problems end with one for each print queue that prints to the device.
    DeviceState state;
    std::vector<std::string> queues;
};

struct UsbPrinterEntry {
    std::string device;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string family;  // "KRT-620" or "KRT-310/310II"; empty when not a supported printer
    // Usable only when supported and no print queue uses a USB printer.
    DeviceState state;
};

struct PortListing {
    std::vector<PortEntry> ports;
    std::vector<UsbPrinterEntry> usbPrinters;
};

// Every port name of the window in its order, then the device paths given, then the USB
// printers, each with whether this user could use it and, when not, why and what to do: a
// missing group membership, a device another program holds, the system console, a print queue
// on it. Nothing is opened: a device is only looked at, so that no line of a terminal or console
// moves. False with a message when a given port names none.
bool ListPorts(const PortListingRequest& request, PortListing& listing, std::string& error);

}  // namespace corvane::service
