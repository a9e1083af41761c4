#include "link/PrinterPort.h"

#include <algorithm>

#include "link/UsbAccess.h"

namespace corvane::link {

namespace {

// Waits after opening a serial device, as the printer needs a moment after DTR rises.
constexpr std::uint32_t kSerialOpenPauseMs = 100;
// Waits before retrying a short read or write, giving a slow printer time to catch up.
constexpr std::uint32_t kRetryPauseMs = 500;

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

PrinterPort::PrinterPort(platform::Platform& platform) : platform_(platform) {}

PrinterPort::~PrinterPort() = default;

void PrinterPort::Sleep(std::uint32_t ms) {
    platform_.Sleep(std::chrono::milliseconds(ms));
}

bool PrinterPort::Open() {
    if (StartsWith(portName, "COM") || StartsWith(portName, "\\\\.\\COM")) {
        kind = InterfaceKind::Serial;
        return OpenSerial();
    }
    if (StartsWith(portName, "LPT")) {
        kind = InterfaceKind::Parallel;
        return OpenParallel();
    }
    if (portName == "USB") {
        kind = InterfaceKind::Usb;
        return OpenUsb();
    }
    return false;
}

bool PrinterPort::OpenSerial() {
    Close();
    platform::Error error;
    auto device = platform_.OpenSerial(portName, error);
    Sleep(kSerialOpenPauseMs);
    if (!device) {
        return false;
    }
    platform::SerialConfig config;
    if (!device->GetConfig(config).Ok()) {
        return false;
    }
    config.baudRate = baudRate;
    config.dataBits = dataBits;
    config.parity = parity;
    config.stopBits = stopBits;
    config.parityCheck = parity != platform::kParityNone;
    // The printer drops DSR while its buffer is full, so output must wait for it.
    config.dsrOutputFlow = true;
    config.dtrOn = true;
    config.rtsOn = true;
    if (!device->SetConfig(config).Ok()) {
        return false;
    }
    if (!device->SetTimeouts(platform::SerialTimeouts{}).Ok()) {
        return false;
    }
    // A printer that is off or unplugged holds DSR low.
    bool dsrOn = false;
    if (!device->GetDsr(dsrOn).Ok() || !dsrOn) {
        return false;
    }
    device->Purge();
    serial_ = device.get();
    handle = std::move(device);
    return true;
}

bool PrinterPort::OpenParallel() {
    Close();
    platform::Error error;
    auto device = platform_.OpenParallel(portName, error);
    if (!device) {
        return false;
    }
    // Only a selected printer with nothing else to report (not busy, paper in, on line) is ready.
    std::uint8_t status = 0;
    if (!device->QueryStatus(status).Ok() || status != platform::kParallelSelected) {
        return false;
    }
    device->Purge();  // A parallel port may refuse to purge; that is harmless.
    handle = std::move(device);
    return true;
}

bool PrinterPort::OpenUsb() {
    if (!UsbSupported()) {
        return false;
    }
    if (usb_ == nullptr || !usb_->CheckUsbPortConflict()) {
        return false;
    }
    Close();
    handle = usb_->OpenUsbPrinter();
    return handle != nullptr;
}

bool PrinterPort::UsbSupported() {
    return platform_.Facts().usbSupported;
}

bool PrinterPort::IsWindows9xFamily() {
    return platform_.Facts().windows9xFamily;
}

void PrinterPort::Close() {
    if (!handle) {
        return;
    }
    if (kind == InterfaceKind::Serial && serial_ != nullptr) {
        serial_->ClearEventMask();
        serial_->Purge();
    } else if (kind == InterfaceKind::Parallel) {
        handle->Purge();
    }
    serial_ = nullptr;
    handle.reset();
}

bool PrinterPort::Write(const std::uint8_t* data, std::uint32_t length) {
    if (!handle) {
        return false;
    }
    std::size_t sent = handle->Write({data, length}).count;
    if (sent == length) {
        return true;
    }
    Sleep(kRetryPauseMs);
    std::size_t remaining = length - sent;
    return handle->Write({data + sent, remaining}).count == remaining;
}

std::uint32_t PrinterPort::Read(std::uint8_t* buffer, std::uint32_t length) {
    if (!handle) {
        return 0;
    }
    auto first = static_cast<std::uint32_t>(handle->Read({buffer, length}).count);
    if (kind == InterfaceKind::Usb || first == length) {
        return first;
    }
    Sleep(kRetryPauseMs);
    auto second = static_cast<std::uint32_t>(handle->Read({buffer + first, length - first}).count);
    // The count says what the buffer holds: both requests' bytes.
    return first + second;
}

bool PrinterPort::ApplySerialSettings(std::uint32_t newBaudRate, std::uint32_t newDataBits,
                                      std::uint32_t newParity) {
    if (serial_ == nullptr) {
        return false;
    }
    platform::SerialConfig config;
    if (!serial_->GetConfig(config).Ok()) {
        return false;
    }
    config.baudRate = newBaudRate;
    config.dataBits = newDataBits;
    config.parity = newParity;
    return serial_->SetConfig(config).Ok();
}

}  // namespace corvane::link
