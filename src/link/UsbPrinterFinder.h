#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/SpoolerPorts.h"
#include "link/UsbAccess.h"
#include "platform/Platform.h"
#include "platform/Reporter.h"
#include "product/Models.h"

namespace corvane::link {

// Finds the supported USB printer and opens it for the printer port.
//
// The system's USB printers are visited in its enumeration order; the first whose ids are in the
// id table (the model table's USB ids, in their order of precedence) and that opens is chosen. It
// is first opened shared, only to prove that no other program holds it, then closed and opened
// again exclusively for the port. On Linux the chosen device node (/dev/usb/lpN, or
// /dev/bus/usb/BBB/DDD where libusb reaches the printer) stands for the printer's interface itself,
// so no suffix is appended to its name.
class UsbPrinterFinder final : public UsbAccess {
public:
    // The reporter shows the driver conflict warning and receives the two search lines.
    UsbPrinterFinder(platform::Platform& platform, platform::Reporter& reporter,
                     std::span<const product::Model> models = product::Models());

    // UsbAccess
    bool CheckUsbPortConflict() override;
    std::unique_ptr<platform::Device> OpenUsbPrinter() override;
    platform::Error OpenError() const override { return openError_; }
    std::string ChosenDevicePath() const override;

    // Finds the first supported printer that opens and puts its device path into deviceName.
    // A matching device is written there even when it cannot be opened, and a later one that
    // opens overwrites it; nothing matching leaves deviceName as it was.
    bool FindUsbPrinterPath(std::string& deviceName);

    // The device path of the last search's choice; kept after the open, replaced by the next
    // search that finds a supported printer.
    const std::string& CompleteDeviceName() const { return completeDeviceName_; }
    // The printer behind CompleteDeviceName, with its ids.
    const std::optional<platform::UsbPrinterInfo>& ChosenDevice() const { return chosen_; }
    // Whether the chosen printer comes from the given vendor; false when none was chosen.
    bool ChosenDeviceHasVendor(std::uint16_t vendorId) const;
    // The supported printers' ids, in order of precedence.
    const std::vector<product::UsbIds>& IdTable() const { return idTable_; }

private:
    // Tests one enumerated printer against the id table and, if it is ours, opens it shared.
    std::unique_ptr<platform::Device> TryUsbInterface(const platform::UsbPrinterInfo& printer,
                                                      std::string& deviceName);

    // Tests one printer's ids against the id table.
    bool IsSupported(const platform::UsbPrinterInfo& printer) const;

    platform::Platform& platform_;
    platform::Reporter& reporter_;
    std::vector<product::UsbIds> idTable_;
    platform::Error openError_;
    // Why the last supported printer of the search did not open; NotFound when none was seen.
    platform::Error probeError_;
    std::string completeDeviceName_;
    std::optional<platform::UsbPrinterInfo> chosen_;
};

}  // namespace corvane::link
