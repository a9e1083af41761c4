#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Holdings.h"
#include "platform/Platform.h"
#include "platform/WaitPacer.h"

namespace corvane::platform::posix {

// Where a USB device sits: its bus and its address on that bus, as sysfs (busnum, devnum) and
// the usbfs node /dev/bus/usb/BBB/DDD name it.
struct UsbAddress {
    std::uint8_t bus = 0;
    std::uint8_t device = 0;

    friend bool operator==(const UsbAddress&, const UsbAddress&) = default;
};

// The time one write to a USB printer may take, whichever way the printer is reached: as long as
// a serial one, since the printer takes data only as fast as it prints.
std::chrono::milliseconds UsbWriteBudget(std::size_t bytes);

// USB printers reached through libusb and the kernel's usbfs nodes: those that the usblp driver
// does not serve (desktop systems often unbind it, and a udev rule may remove /dev/usb/lpN), or
// whose /dev/usb/lpN this user cannot open.
//
// A printer is known by its usbfs node, /dev/bus/usb/BBB/DDD, which is also the node that a udev
// rule grants access to. While a printer is open its printer interface is claimed; a kernel
// driver bound to that interface (usblp) is detached for the session and bound again when the
// device is destroyed, on every way out: before the detach the record of held things gets an entry,
// so that the next run binds the driver again when this one is killed.
class LibusbPrinters {
public:
    // The printer interfaces (class 7) of the USB devices present, in libusb's enumeration
    // order, leaving out the devices at the given addresses (those usblp already offers).
    static std::vector<UsbPrinterInfo> List(const std::vector<UsbAddress>& leaveOut);

    // The address in a devicePath of the form that List gives, or nothing for any other path.
    static std::optional<UsbAddress> AddressOf(const std::string& devicePath);

    // Opens the printer interface of the device at address. An exclusive open detaches a kernel
    // driver from the interface and claims it; a shared one only proves that no other program
    // has claimed it and leaves the kernel driver alone. A device that another program holds
    // fails with Busy. Its transfers keep the pacer's hook called, when one is given; a detach
    // is written to the record first, when one is given.
    static std::unique_ptr<Device> Open(UsbAddress address, const std::string& devicePath,
                                        bool exclusive, Error& error,
                                        std::shared_ptr<WaitPacer> pacer = nullptr,
                                        Holdings* record = nullptr);

    // Binds the kernel driver again to the printer interface that an ended run took from it, as
    // its record entry's detail names it, when the same device is still at the address, no
    // driver serves the interface and no program claimed it. NotFound when there is nothing to
    // give back, Busy when a program holds the interface.
    static Error GiveBackDriver(UsbAddress address, const std::string& detail);

    // Gives every printer that an open device of this process took from its kernel driver back
    // to the driver now; the devices fail from then on. Any thread.
    static void GiveBackAll();
};

}  // namespace corvane::platform::posix
