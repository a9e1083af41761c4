#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/WaitPacer.h"
#include "platform/win32/UniqueHandle.h"

namespace corvane::platform::win32 {

// A serial line through the Windows communications driver: opened exclusively, with the line
// settings in the device control block and every request ended by the driver's time-outs. The
// requests are overlapped only so that their waits can keep the pacer's hook called; DSR output
// flow control is the driver's own.
class Win32SerialDevice final : public SerialDevice {
public:
    // Opens the port at path ("COM3", "\\.\COM12"): refused as Busy when another program holds
    // it, as NotFound when there is no such port.
    static std::unique_ptr<Win32SerialDevice> Open(const std::string& path, Error& error,
                                                   std::shared_ptr<WaitPacer> pacer = nullptr);

    IoResult Write(std::span<const std::uint8_t> data) override;
    IoResult Read(std::span<std::uint8_t> buffer) override;
    Error Purge() override;
    std::string Name() const override { return path_; }
    Error GetConfig(SerialConfig& config) override;
    Error SetConfig(const SerialConfig& config) override;
    Error SetTimeouts(const SerialTimeouts& timeouts) override;
    Error GetDsr(bool& dsrOn) override;
    Error ClearEventMask() override;

private:
    Win32SerialDevice(UniqueHandle handle, std::string path, std::shared_ptr<WaitPacer> pacer);

    UniqueHandle handle_;
    std::string path_;
    SerialTimeouts timeouts_;
    std::shared_ptr<WaitPacer> pacer_;
};

}  // namespace corvane::platform::win32
