#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/WaitPacer.h"
#include "platform/win32/UniqueHandle.h"

namespace corvane::platform::win32 {

// A parallel port through the Windows parallel port driver, opened exclusively. Reads and
// writes end at the deadlines of a serial line, as the link expects of a parallel port.
class Win32ParallelDevice final : public ParallelDevice {
public:
    // Opens the port at path ("LPT1:"): refused as Busy when another program holds it. Its
    // waits keep the pacer's hook called, when one is given.
    static std::unique_ptr<Win32ParallelDevice> Open(const std::string& path, Error& error,
                                                     std::shared_ptr<WaitPacer> pacer = nullptr);

    IoResult Write(std::span<const std::uint8_t> data) override;
    IoResult Read(std::span<std::uint8_t> buffer) override;
    Error Purge() override;
    std::string Name() const override { return path_; }
    Error QueryStatus(std::uint8_t& status) override;

    // Turns the status byte of the driver's query-information request into kParallel bits.
    static std::uint8_t StatusFromQuery(std::uint8_t driverStatus);

private:
    Win32ParallelDevice(UniqueHandle handle, std::string path, std::shared_ptr<WaitPacer> pacer);

    UniqueHandle handle_;
    std::string path_;
    SerialTimeouts timeouts_;
    std::shared_ptr<WaitPacer> pacer_;
};

}  // namespace corvane::platform::win32
