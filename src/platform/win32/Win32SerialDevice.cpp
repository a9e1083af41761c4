#include "platform/win32/Win32SerialDevice.h"

#include <cstddef>
#include <cstdint>

#include "platform/win32/ErrorFromWin32.h"
#include "platform/win32/OverlappedIo.h"

namespace corvane::platform::win32 {

namespace {

Error Validate(const SerialConfig& config) {
    bool valid = config.baudRate > 0 && config.dataBits >= 5 && config.dataBits <= 8 &&
                 config.parity <= kParityEven && config.stopBits <= kStopBitsTwo;
    // One and a half stop bits exist only for 5-bit characters; the UART refuses them otherwise.
    if (config.stopBits == kStopBitsOneAndHalf && config.dataBits != 5) {
        valid = false;
    }
    return valid ? Error::None()
                 : Error{ErrorKind::InvalidArgument, ERROR_INVALID_PARAMETER, NativeSource::Win32};
}

// Takes the settings the link asks for into the driver's record; every flag not named here
// keeps what the driver reported (binary mode, XOFF continuation, the error character).
void Apply(const SerialConfig& config, DCB& dcb) {
    dcb.BaudRate = config.baudRate;
    dcb.ByteSize = static_cast<BYTE>(config.dataBits);
    // The platform's parity and stop-bit codes are those of the record.
    dcb.Parity = static_cast<BYTE>(config.parity);
    dcb.StopBits = static_cast<BYTE>(config.stopBits);
    dcb.fParity = config.parityCheck ? TRUE : FALSE;
    dcb.fOutxDsrFlow = config.dsrOutputFlow ? TRUE : FALSE;
    dcb.fDtrControl = config.dtrOn ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fRtsControl = config.rtsOn ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
}

// A port without modem lines (a network bridge, a pseudo-terminal under Wine) cannot say that
// the printer is away.
bool NoModemLines(DWORD code) {
    return code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION;
}

// How long a request is waited for: the driver ends it at its own time-out, and the margin
// only keeps a driver that would not from holding the program.
std::uint32_t WaitBound(std::uint32_t constantMs, std::uint32_t multiplierMs, std::size_t bytes) {
    constexpr std::uint32_t kDriverMarginMs = 1000;
    return constantMs + multiplierMs * static_cast<std::uint32_t>(bytes) + kDriverMarginMs;
}

// A request the driver ended before every byte moved ended at its time-out.
IoResult Whole(IoResult result, std::size_t asked) {
    if (result.error.Ok() && result.count < asked) {
        result.error = {ErrorKind::TimedOut, ERROR_TIMEOUT, NativeSource::Win32};
    }
    return result;
}

}  // namespace

std::unique_ptr<Win32SerialDevice> Win32SerialDevice::Open(const std::string& path, Error& error,
                                                           std::shared_ptr<WaitPacer> pacer) {
    UniqueHandle handle(OpenOverlapped(path, true, error));
    if (!handle.Valid()) {
        return nullptr;
    }
    return std::unique_ptr<Win32SerialDevice>(
        new Win32SerialDevice(std::move(handle), path, std::move(pacer)));
}

Win32SerialDevice::Win32SerialDevice(UniqueHandle handle, std::string path,
                                     std::shared_ptr<WaitPacer> pacer)
    : handle_(std::move(handle)), path_(std::move(path)), pacer_(std::move(pacer)) {}

Error Win32SerialDevice::GetConfig(SerialConfig& config) {
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    if (!GetCommState(handle_.Get(), &dcb)) {
        return LastError();
    }
    SerialConfig read;
    read.baudRate = dcb.BaudRate;
    read.dataBits = dcb.ByteSize;
    read.parity = dcb.Parity;
    read.stopBits = dcb.StopBits;
    read.parityCheck = dcb.fParity != 0;
    read.dsrOutputFlow = dcb.fOutxDsrFlow != 0;
    read.dtrOn = dcb.fDtrControl == DTR_CONTROL_ENABLE;
    read.rtsOn = dcb.fRtsControl == RTS_CONTROL_ENABLE;
    config = read;
    return Error::None();
}

Error Win32SerialDevice::SetConfig(const SerialConfig& config) {
    if (Error invalid = Validate(config); !invalid.Ok()) {
        return invalid;
    }
    DCB previous{};
    previous.DCBlength = sizeof(previous);
    if (!GetCommState(handle_.Get(), &previous)) {
        return LastError();
    }
    DCB wanted = previous;
    Apply(config, wanted);
    if (!SetCommState(handle_.Get(), &wanted)) {
        Error refused = LastError();
        SetCommState(handle_.Get(), &previous);
        return refused;
    }
    return Error::None();
}

Error Win32SerialDevice::SetTimeouts(const SerialTimeouts& timeouts) {
    COMMTIMEOUTS driverTimeouts{};
    // No interval limit: a read waits for all its bytes up to its total time.
    driverTimeouts.ReadIntervalTimeout = 0;
    driverTimeouts.ReadTotalTimeoutMultiplier = timeouts.readMultiplierMs;
    driverTimeouts.ReadTotalTimeoutConstant = timeouts.readConstantMs;
    driverTimeouts.WriteTotalTimeoutMultiplier = timeouts.writeMultiplierMs;
    driverTimeouts.WriteTotalTimeoutConstant = timeouts.writeConstantMs;
    if (!SetCommTimeouts(handle_.Get(), &driverTimeouts)) {
        return LastError();
    }
    timeouts_ = timeouts;
    return Error::None();
}

Error Win32SerialDevice::GetDsr(bool& dsrOn) {
    DWORD status = 0;
    if (!GetCommModemStatus(handle_.Get(), &status)) {
        DWORD code = GetLastError();
        if (NoModemLines(code)) {
            dsrOn = true;
            return Error::None();
        }
        return ErrorFromWin32(code);
    }
    dsrOn = (status & MS_DSR_ON) != 0;
    return Error::None();
}

Error Win32SerialDevice::Purge() {
    if (!PurgeComm(handle_.Get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) {
        return LastError();
    }
    return Error::None();
}

Error Win32SerialDevice::ClearEventMask() {
    if (!SetCommMask(handle_.Get(), 0)) {
        return LastError();
    }
    return Error::None();
}

IoResult Win32SerialDevice::Write(std::span<const std::uint8_t> data) {
    // A write the driver ends short ended at its write time-out: the printer held DSR low.
    return Whole(
        WriteWithin(handle_.Get(), data,
                    WaitBound(timeouts_.writeConstantMs, timeouts_.writeMultiplierMs, data.size()),
                    pacer_.get()),
        data.size());
}

IoResult Win32SerialDevice::Read(std::span<std::uint8_t> buffer) {
    return Whole(
        ReadWithin(handle_.Get(), buffer,
                   WaitBound(timeouts_.readConstantMs, timeouts_.readMultiplierMs, buffer.size()),
                   pacer_.get()),
        buffer.size());
}

}  // namespace corvane::platform::win32
