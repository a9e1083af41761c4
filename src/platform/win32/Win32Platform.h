#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Spooler.h"
#include "platform/WaitPacer.h"

namespace corvane::platform::win32 {

// The platform of a Windows machine: COM and LPT ports through the communications and parallel
// port drivers, USB printers through the USB printing support driver, the Windows print spooler
// and the performance counter as the monotonic clock.
class Win32Platform final : public Platform {
public:
    Win32Platform();
    ~Win32Platform() override;

    std::unique_ptr<SerialDevice> OpenSerial(const std::string& devicePath, Error& error) override;
    std::unique_ptr<ParallelDevice> OpenParallel(const std::string& devicePath,
                                                 Error& error) override;
    // The port names of the connection window, which Windows opens as they are and its spooler
    // knows as ports: "COM1" to "COM9", "\\.\COM10" and up (the only spelling Windows opens for
    // them), "LPT1:" to "LPT4:".
    std::string DefaultDevicePath(PortFamily family, int number) override;
    std::vector<UsbPrinterInfo> ListUsbPrinters() override;  // Win32Usb.cpp
    std::unique_ptr<Device> OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                           Error& error) override;  // Win32Usb.cpp
    Spooler& GetSpooler() override;
    // This user's record of held things.
    Holdings* GetHoldings() override;
    void Sleep(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() override;
    OsFacts Facts() override;
    void SetWaitHook(WaitHook hook) override { pacer_->SetHook(std::move(hook)); }

private:
    std::unique_ptr<Spooler> spooler_;  // made on first use
    long long counterFrequency_ = 1;
    // Shared with the devices opened here, which may outlive the platform.
    std::shared_ptr<WaitPacer> pacer_ = std::make_shared<WaitPacer>();
};

}  // namespace corvane::platform::win32
