#include "platform/win32/Win32SerialDevice.h"

#include <algorithm>
#include <limits>

#include "platform/win32/ErrorFromWin32.h"
#include "platform/win32/WideText.h"

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

DWORD Length(std::size_t size) {
    return static_cast<DWORD>(std::min<std::size_t>(size, std::numeric_limits<DWORD>::max()));
}

}  // namespace

std::unique_ptr<Win32SerialDevice> Win32SerialDevice::Open(const std::string& path, Error& error) {
    UniqueHandle handle(CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        error = LastError(During::Open);
        return nullptr;
    }
    error = Error::None();
    return std::unique_ptr<Win32SerialDevice>(new Win32SerialDevice(std::move(handle), path));
}

Win32SerialDevice::Win32SerialDevice(UniqueHandle handle, std::string path)
    : handle_(std::move(handle)), path_(std::move(path)) {}

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
    IoResult result;
    DWORD written = 0;
    if (!WriteFile(handle_.Get(), data.data(), Length(data.size()), &written, nullptr)) {
        result.error = LastError();
    } else if (written < data.size()) {
        // The driver ended the request at its write time-out: the printer held DSR low.
        result.error = {ErrorKind::TimedOut, ERROR_TIMEOUT, NativeSource::Win32};
    }
    result.count = written;
    return result;
}

IoResult Win32SerialDevice::Read(std::span<std::uint8_t> buffer) {
    IoResult result;
    DWORD read = 0;
    if (!ReadFile(handle_.Get(), buffer.data(), Length(buffer.size()), &read, nullptr)) {
        result.error = LastError();
    } else if (read < buffer.size()) {
        result.error = {ErrorKind::TimedOut, ERROR_TIMEOUT, NativeSource::Win32};
    }
    result.count = read;
    return result;
}

}  // namespace corvane::platform::win32
