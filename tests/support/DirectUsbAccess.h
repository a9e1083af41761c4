#pragma once

#include <memory>

#include "link/UsbAccess.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::support {

// Opens the printer on the simulated USB device without a discovery step.
class DirectUsbAccess : public link::UsbAccess {
public:
    explicit DirectUsbAccess(platform::sim::SimPlatform& platform) : platform_(platform) {}
    bool CheckUsbPortConflict() override { return true; }
    std::unique_ptr<platform::Device> OpenUsbPrinter() override {
        platform::Error error;
        return platform_.OpenUsbPrinter(kUsbPath, true, error);
    }
    static constexpr const char* kUsbPath = "/dev/usb/lp0";

private:
    platform::sim::SimPlatform& platform_;
};

}  // namespace corvane::support
