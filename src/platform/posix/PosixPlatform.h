#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/Spooler.h"
#include "platform/WaitPacer.h"

namespace corvane::platform::posix {

struct PosixOptions {
    // Where USB printers are described and opened; tests point these at a tree they build.
    std::string sysfsRoot = "/sys";
    std::string devRoot = "/dev";
    // Also reach, through libusb, the printers that usblp does not serve. libusb reads the
    // system's own sysfs, so a test tree in place of it turns this off.
    bool libusb = true;
    // The record of what the program holds of the machine; null for this user's own.
    Holdings* holdings = nullptr;
};

// The platform of a Linux machine: termios serial ports, /dev/lpN parallel ports, USB printers
// through usblp or else libusb, the CUPS spooler and the monotonic clock.
class PosixPlatform final : public Platform {
public:
    explicit PosixPlatform(PosixOptions options = {});
    ~PosixPlatform() override;

    std::unique_ptr<SerialDevice> OpenSerial(const std::string& devicePath, Error& error) override;
    std::unique_ptr<ParallelDevice> OpenParallel(const std::string& devicePath,
                                                 Error& error) override;
    // /dev/ttyS(n-1) for serial port n, /dev/lp(n-1) for parallel port n.
    std::string DefaultDevicePath(PortFamily family, int number) override;
    std::vector<UsbPrinterInfo> ListUsbPrinters() override;  // PosixUsb.cpp
    std::unique_ptr<Device> OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                           Error& error) override;  // PosixUsb.cpp
    Spooler& GetSpooler() override;
    Holdings* GetHoldings() override;
    Error GiveBackDriver(const Holding& holding) override;  // PosixUsb.cpp
    void GiveBackDevicesNow() override;                     // PosixUsb.cpp
    void Sleep(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() override;
    OsFacts Facts() override;
    void SetWaitHook(WaitHook hook) override { pacer_->SetHook(std::move(hook)); }

    const PosixOptions& Options() const { return options_; }

private:
    PosixOptions options_;
    std::unique_ptr<Spooler> spooler_;  // made on first use (SpoolerModule.cpp)
    // Shared with the devices opened here, which may outlive the platform.
    std::shared_ptr<WaitPacer> pacer_ = std::make_shared<WaitPacer>();
};

// Makes the spooler of this machine: CUPS, from the module built of CupsSpooler.cpp; null when
// the module cannot be loaded.
std::unique_ptr<Spooler> MakeSystemSpooler();

}  // namespace corvane::platform::posix
