#include "link/UsbPrinterFinder.h"

#include <algorithm>
#include <utility>

namespace corvane::link {

namespace {

// The printer port's name for a USB connection, as the conflict warning names it.
constexpr char kUsbPortName[] = "USB";

bool IsSupported(const platform::UsbPrinterInfo& printer) {
    return std::any_of(kUsbPrinterIds.begin(), kUsbPrinterIds.end(), [&](const UsbPrinterId& id) {
        return id.vendorId == printer.vendorId && id.productId == printer.productId;
    });
}

}  // namespace

UsbPrinterFinder::UsbPrinterFinder(platform::Platform& platform, WarningSink warn,
                                   std::ostream& diagnostics)
    : platform_(platform), warn_(std::move(warn)), diagnostics_(diagnostics) {}

bool UsbPrinterFinder::CheckUsbPortConflict() {
    return link::CheckUsbPortConflict(platform_, kUsbPortName, warn_);
}

std::unique_ptr<platform::Device> UsbPrinterFinder::OpenUsbPrinter() {
    if (!FindUsbPrinterPath(completeDeviceName_)) {
        return nullptr;
    }
    diagnostics_ << "completeDeviceName = (" << completeDeviceName_ << ")\n" << std::flush;
    platform::Error error;
    return platform_.OpenUsbPrinter(chosen_->devicePath, true, error);
}

bool UsbPrinterFinder::FindUsbPrinterPath(std::string& deviceName) {
    for (const auto& printer : platform_.ListUsbPrinters()) {
        if (auto probe = TryUsbInterface(printer, deviceName)) {
            // The probe only proved that the printer is free; the port opens it for itself.
            return true;
        }
    }
    return false;
}

std::unique_ptr<platform::Device> UsbPrinterFinder::TryUsbInterface(
    const platform::UsbPrinterInfo& printer, std::string& deviceName) {
    if (!IsSupported(printer)) {
        return nullptr;
    }
    deviceName = printer.devicePath;
    chosen_ = printer;
    platform::Error error;
    auto device = platform_.OpenUsbPrinter(printer.devicePath, false, error);
    if (!device) {
        diagnostics_ << "FAILED to open " << printer.devicePath << "\n" << std::flush;
    }
    return device;
}

bool UsbPrinterFinder::ChosenDeviceHasVendor(std::uint16_t vendorId) const {
    return chosen_.has_value() && chosen_->vendorId == vendorId;
}

}  // namespace corvane::link
