#include "sim/SimulatedPrinters.h"

namespace corvane::sim {

SimulatedPrinters::SimulatedPrinters(platform::sim::SimPlatform& platform, Model model,
                                     Emulation emulation)
    : model_(model),
      emulation_(emulation),
      usbPrinter_(std::make_unique<VirtualPrinter>(model, emulation)) {
    platform.SetPeerFactory(
        [this](platform::sim::DeviceKind, const std::string& name) { return Make(name); });
    UsbIds ids = DefaultUsbIds(model);
    platform.AttachUsb(kUsbDevicePath, ids.vendorId, ids.productId, *usbPrinter_);
}

platform::sim::SimPeer* SimulatedPrinters::Make(const std::string& name) {
    auto& printer = printers_[name];
    if (!printer) {
        printer = std::make_unique<VirtualPrinter>(model_, emulation_);
        if (setUp_) {
            setUp_(name, *printer);
        }
    }
    return printer.get();
}

VirtualPrinter* SimulatedPrinters::Printer(const std::string& portName) {
    auto it = printers_.find(portName);
    return it == printers_.end() ? nullptr : it->second.get();
}

std::vector<std::string> SimulatedPrinters::PortNames() const {
    std::vector<std::string> names;
    for (const auto& [name, printer] : printers_) {
        names.push_back(name);
    }
    return names;
}

}  // namespace corvane::sim
