#include "platform/win32/Win32ParallelDevice.h"

#include <utility>

#include "platform/win32/ErrorFromWin32.h"
#include "platform/win32/OverlappedIo.h"

namespace corvane::platform::win32 {

namespace {

// The parallel port driver's query-information request and the bits of the status it returns.
constexpr DWORD kQueryInformation = 0x00160004;
constexpr std::uint8_t kDriverPaperEmpty = 0x04;
constexpr std::uint8_t kDriverOffLine = 0x08;
constexpr std::uint8_t kDriverPowerOff = 0x10;
constexpr std::uint8_t kDriverNotConnected = 0x20;
constexpr std::uint8_t kDriverBusy = 0x40;
constexpr std::uint8_t kDriverSelected = 0x80;

std::uint32_t Budget(std::uint32_t constantMs, std::uint32_t multiplierMs, std::size_t bytes) {
    return constantMs + multiplierMs * static_cast<std::uint32_t>(bytes);
}

}  // namespace

std::unique_ptr<Win32ParallelDevice> Win32ParallelDevice::Open(const std::string& path,
                                                               Error& error,
                                                               std::shared_ptr<WaitPacer> pacer) {
    UniqueHandle handle(OpenOverlapped(path, true, error));
    if (!handle.Valid()) {
        return nullptr;
    }
    return std::unique_ptr<Win32ParallelDevice>(
        new Win32ParallelDevice(std::move(handle), path, std::move(pacer)));
}

Win32ParallelDevice::Win32ParallelDevice(UniqueHandle handle, std::string path,
                                         std::shared_ptr<WaitPacer> pacer)
    : handle_(std::move(handle)), path_(std::move(path)), pacer_(std::move(pacer)) {}

std::uint8_t Win32ParallelDevice::StatusFromQuery(std::uint8_t driverStatus) {
    // The driver's initialise and auto-feed bits are lines the PC drives, not the printer's word.
    constexpr std::pair<std::uint8_t, std::uint8_t> kBits[] = {
        {kDriverPaperEmpty, kParallelPaperEmpty},
        {kDriverOffLine, kParallelOffLine},
        {kDriverPowerOff, kParallelPowerOff},
        {kDriverNotConnected, kParallelNotConnected},
        {kDriverBusy, kParallelBusy},
        {kDriverSelected, kParallelSelected},
    };
    std::uint8_t status = 0;
    for (auto [driverBit, platformBit] : kBits) {
        if ((driverStatus & driverBit) != 0) {
            status |= platformBit;
        }
    }
    return status;
}

Error Win32ParallelDevice::QueryStatus(std::uint8_t& status) {
    UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED request{};
    request.hEvent = done.Get();
    std::uint8_t driverStatus = 0;
    DWORD returned = 0;
    if (!DeviceIoControl(handle_.Get(), kQueryInformation, nullptr, 0, &driverStatus,
                         sizeof(driverStatus), nullptr, &request)) {
        DWORD code = GetLastError();
        if (code != ERROR_IO_PENDING) {
            return ErrorFromWin32(code);
        }
        if (!AwaitRequest(done.Get(), timeouts_.readConstantMs, pacer_.get())) {
            CancelIoEx(handle_.Get(), &request);
        }
    }
    if (!GetOverlappedResult(handle_.Get(), &request, &returned, TRUE)) {
        return LastError();
    }
    if (returned != sizeof(driverStatus)) {
        return {ErrorKind::Unsupported, ERROR_INVALID_DATA, NativeSource::Win32};
    }
    status = StatusFromQuery(driverStatus);
    return Error::None();
}

Error Win32ParallelDevice::Purge() {
    if (!PurgeComm(handle_.Get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
        return LastError();
    }
    return Error::None();
}

IoResult Win32ParallelDevice::Write(std::span<const std::uint8_t> data) {
    return WriteWithin(handle_.Get(), data,
                       Budget(timeouts_.writeConstantMs, timeouts_.writeMultiplierMs, data.size()),
                       pacer_.get());
}

IoResult Win32ParallelDevice::Read(std::span<std::uint8_t> buffer) {
    return ReadWithin(handle_.Get(), buffer,
                      Budget(timeouts_.readConstantMs, timeouts_.readMultiplierMs, buffer.size()),
                      pacer_.get());
}

}  // namespace corvane::platform::win32
