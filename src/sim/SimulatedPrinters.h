#pragma once

// Virtual printers behind every port of a simulated platform, so that every function of the
// program can be tried without hardware.
//
// Every serial or parallel port name the program opens reaches a printer of its own, made on
// first open; one USB printer with the model's vendor and product id is attached as well. The
// platform keeps plain pointers to the printers: keep this object alive for as long as the
// platform is used.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/SimPlatform.h"
#include "sim/Model.h"
#include "sim/VirtualPrinter.h"

namespace corvane::sim {

class SimulatedPrinters {
public:
    // Where the USB printer appears in the platform's USB list.
    static constexpr const char* kUsbDevicePath = "/dev/usb/lp0";

    SimulatedPrinters(platform::sim::SimPlatform& platform, Model model, Emulation emulation);
    SimulatedPrinters(const SimulatedPrinters&) = delete;
    SimulatedPrinters& operator=(const SimulatedPrinters&) = delete;

    Model GetModel() const { return model_; }
    Emulation GetEmulation() const { return emulation_; }

    // The printer behind a serial or parallel port name, or null until that port was opened.
    VirtualPrinter* Printer(const std::string& portName);
    VirtualPrinter& UsbPrinter() { return *usbPrinter_; }
    // The port names that have a printer, in name order.
    std::vector<std::string> PortNames() const;
    // Runs for every printer made from now on (to set its faults or identity).
    void OnPrinterMade(std::function<void(VirtualPrinter&)> setUp) {
        setUp_ = [setUp = std::move(setUp)](const std::string&, VirtualPrinter& printer) {
            setUp(printer);
        };
    }
    // The same, told also the device name the printer is made for.
    using NamedSetUp = std::function<void(const std::string& name, VirtualPrinter&)>;
    void OnPrinterMade(NamedSetUp setUp) { setUp_ = std::move(setUp); }

private:
    platform::sim::SimPeer* Make(const std::string& name);

    Model model_;
    Emulation emulation_;
    std::unique_ptr<VirtualPrinter> usbPrinter_;
    std::map<std::string, std::unique_ptr<VirtualPrinter>> printers_;
    NamedSetUp setUp_;
};

}  // namespace corvane::sim
