#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/win32/UniqueHandle.h"

namespace corvane::platform::win32 {

// A parallel port through the Windows parallel port driver, opened exclusively. Reads and
// writes end at the deadlines of a serial line, as the link expects of a parallel port.
class Win32ParallelDevice final : public ParallelDevice {
public:
    // Opens the port at path ("LPT1:"): refused as Busy when another program holds it.
    static std::unique_ptr<Win32ParallelDevice> Open(const std::string& path, Error& error);

    IoResult Write(std::span<const std::uint8_t> data) override;
    IoResult Read(std::span<std::uint8_t> buffer) override;
    Error Purge() override;
    std::string Name() const override { return path_; }
    Error QueryStatus(std::uint8_t& status) override;

    // Turns the status byte of the driver's query-information request into kParallel bits.
    static std::uint8_t StatusFromQuery(std::uint8_t driverStatus);

private:
    Win32ParallelDevice(UniqueHandle handle, std::string path);

    UniqueHandle handle_;
    std::string path_;
    SerialTimeouts timeouts_;
};

}  // namespace corvane::platform::win32
