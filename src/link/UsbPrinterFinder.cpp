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

UsbPrinterFinder::UsbPrinterFinder(platform::Platform& platform, platform::Reporter& reporter)
    : platform_(platform), reporter_(reporter) {}

bool UsbPrinterFinder::CheckUsbPortConflict() {
    return link::CheckUsbPortConflict(platform_, kUsbPortName, reporter_);
}

std::unique_ptr<platform::Device> UsbPrinterFinder::OpenUsbPrinter() {
    if (!FindUsbPrinterPath(completeDeviceName_)) {
        // A supported printer that would not open says why, such as another program holding it.
        openError_ = probeError_;
        return nullptr;
    }
    reporter_.Diagnostic("completeDeviceName = (" + completeDeviceName_ + ")");
    auto device = platform_.OpenUsbPrinter(chosen_->devicePath, true, openError_);
    if (device) {
        openError_ = {};
    }
    return device;
}

std::string UsbPrinterFinder::ChosenDevicePath() const {
    return chosen_ ? chosen_->devicePath : std::string();
}

bool UsbPrinterFinder::FindUsbPrinterPath(std::string& deviceName) {
    probeError_ = {platform::ErrorKind::NotFound, 0};
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
    auto device = platform_.OpenUsbPrinter(printer.devicePath, false, probeError_);
    if (!device) {
        reporter_.Diagnostic("FAILED to open " + printer.devicePath);
    }
    return device;
}

bool UsbPrinterFinder::ChosenDeviceHasVendor(std::uint16_t vendorId) const {
    return chosen_.has_value() && chosen_->vendorId == vendorId;
}

}  // namespace corvane::link
