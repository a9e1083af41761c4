#include "link/UsbPrinterFinder.h"

#include <algorithm>
#include <utility>

#include "product/SettingLists.h"

namespace corvane::link {

UsbPrinterFinder::UsbPrinterFinder(platform::Platform& platform, platform::Reporter& reporter,
                                   std::span<const product::Model> models)
    : platform_(platform), reporter_(reporter), idTable_(product::UsbIdsByPrecedence(models)) {}

bool UsbPrinterFinder::IsSupported(const platform::UsbPrinterInfo& printer) const {
    const product::UsbIds ids{printer.vendorId, printer.productId};
    return std::find(idTable_.begin(), idTable_.end(), ids) != idTable_.end();
}

bool UsbPrinterFinder::CheckUsbPortConflict() {
    // The conflict warning names the port as the connection window does.
    return link::CheckUsbPortConflict(platform_, std::string(product::kUsbPortName), reporter_);
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
