#include "link/PrinterPort.h"

#include <algorithm>
#include <utility>

#include "link/NetworkAddress.h"
#include "link/UsbAccess.h"

namespace corvane::link {

namespace {

// Waits after opening a serial device, as the printer needs a moment after DTR rises.
constexpr std::uint32_t kSerialOpenPauseMs = 100;
// Waits before retrying a short read or write, giving a slow printer time to catch up.
constexpr std::uint32_t kRetryPauseMs = 500;

const char* Verb(PortOperation operation) {
    switch (operation) {
        case PortOperation::Open:
            return "cannot open";
        case PortOperation::Write:
            return "cannot write to";
        case PortOperation::Read:
            return "cannot read from";
    }
    return "cannot use";
}

// "paper out, busy" for the status bits that keep a parallel printer from being ready.
std::string DescribeParallelStatus(std::uint8_t status) {
    static constexpr std::pair<std::uint8_t, const char*> kBits[] = {
        {platform::kParallelPaperEmpty, "paper out"},
        {platform::kParallelOffLine, "off line"},
        {platform::kParallelPowerOff, "switched off"},
        {platform::kParallelNotConnected, "not connected"},
        {platform::kParallelBusy, "busy"},
    };
    std::string text;
    for (const auto& [bit, name] : kBits) {
        if ((status & bit) != 0) {
            text += text.empty() ? name : std::string(", ") + name;
        }
    }
    if ((status & platform::kParallelSelected) == 0) {
        text += text.empty() ? "not selected" : ", not selected";
    }
    return text;
}

// What grants access to the device behind a port name, for the line after an access refusal.
std::string AccessHint(const std::string& portName, const std::string& device) {
    if (portName.starts_with("COM") || portName.starts_with("\\\\.\\COM")) {
        return "; serial ports need the dialout group: sudo adduser $USER dialout, then log in "
               "again";
    }
    if (portName.starts_with("LPT")) {
        return "; parallel ports need the lp group: sudo adduser $USER lp, then log in again";
    }
    if (portName == "USB") {
        return "; " + UsbAccessRemedy(device);
    }
    return {};
}

}  // namespace

std::string UsbAccessRemedy(const std::string& device) {
    std::string remedy =
        "the udev rule of the corvane-manager package gives the logged-in user access to the "
        "supported USB printers: install or reinstall the package and plug the printer in again";
    // The lp group owns the kernel driver's /dev/usb/lpN, never the USB device itself.
    if (!device.starts_with(kUsbDeviceFolder)) {
        remedy += " (or join the lp group)";
    }
    return remedy;
}

std::string DescribeFailure(const PortFailure& failure) {
    std::string where = failure.portName;
    if (!failure.device.empty() && failure.device != failure.portName) {
        where += " (" + failure.device + ")";
    }
    std::string head = std::string(Verb(failure.operation)) + " " + where + ": ";
    switch (failure.problem) {
        case PortProblem::None:
            return {};
        case PortProblem::UnknownPortName:
            return "\"" + failure.portName + "\" is no COM, LPT or USB port";
        case PortProblem::DeviceError: {
            // A printer on the network says what its connection met, not what a device would.
            const bool network = ParseNetworkAddress(failure.device).has_value();
            std::string reason = network ? platform::DescribeNetworkError(failure.error) : "";
            std::string text =
                head + (reason.empty() ? platform::ToString(failure.error.kind) : reason);
            if (failure.error.nativeCode != 0) {
                text += " (" + platform::DescribeNativeCode(failure.error) + ")";
            }
            if (failure.error.kind == platform::ErrorKind::AccessDenied && !network) {
                text += AccessHint(failure.portName, failure.device);
            }
            return text;
        }
        case PortProblem::PrinterNotReady:
            return head + "the printer is not ready" +
                   (failure.detail.empty() ? std::string() : " (" + failure.detail + ")");
        case PortProblem::UsbUnavailable:
            return head + "this system cannot reach USB printers";
        case PortProblem::UsbQueueConflict:
            return head + "a print queue uses a USB printer";
        case PortProblem::NoUsbPrinter:
            return head + "no supported USB printer is connected and switched on";
    }
    return head;
}

PrinterPort::PrinterPort(platform::Platform& platform, PortMap ports)
    : platform_(platform), ports_(std::move(ports)) {}

PrinterPort::~PrinterPort() = default;

void PrinterPort::Sleep(std::uint32_t ms) {
    platform_.Sleep(std::chrono::milliseconds(ms));
}

std::string PrinterPort::DevicePath(const std::string& name) {
    return ports_.DevicePath(platform_, name);
}

bool PrinterPort::Fail(PortOperation operation, PortProblem problem, platform::Error error,
                       std::string device, std::string detail) {
    failure_ = {problem, operation, error, portName_, std::move(device), std::move(detail)};
    return false;
}

bool PrinterPort::Open() {
    failure_ = {};
    if (portName_.starts_with("COM") || portName_.starts_with("\\\\.\\COM")) {
        kind_ = InterfaceKind::Serial;
        return OpenSerial();
    }
    if (portName_.starts_with("LPT")) {
        kind_ = InterfaceKind::Parallel;
        return OpenParallel();
    }
    if (portName_ == "USB") {
        kind_ = InterfaceKind::Usb;
        return OpenUsb();
    }
    return Fail(PortOperation::Open, PortProblem::UnknownPortName);
}

bool PrinterPort::OpenSerial() {
    Close();
    const std::string path = DevicePath(portName_);
    if (ParseNetworkAddress(path)) {
        return OpenNetwork(path);
    }
    auto refused = [&](platform::Error error) {
        return Fail(PortOperation::Open, PortProblem::DeviceError, error, path);
    };
    // A name of no port ("COM15") has no device to open.
    platform::Error error{platform::ErrorKind::NotFound, 0};
    std::unique_ptr<platform::SerialDevice> device;
    if (!path.empty()) {
        device = platform_.OpenSerial(path, error);
    }
    Sleep(kSerialOpenPauseMs);
    if (!device) {
        return refused(error);
    }
    platform::SerialConfig config;
    if (error = device->GetConfig(config); !error.Ok()) {
        return refused(error);
    }
    config.baudRate = line_.baudRate;
    config.dataBits = line_.dataBits;
    config.parity = line_.parity;
    config.stopBits = line_.stopBits;
    config.parityCheck = line_.parity != platform::kParityNone;
    // The printer drops DSR while its buffer is full, so output must wait for it.
    config.dsrOutputFlow = true;
    config.dtrOn = true;
    config.rtsOn = true;
    if (error = device->SetConfig(config); !error.Ok()) {
        return refused(error);
    }
    if (error = device->SetTimeouts(platform::SerialTimeouts{}); !error.Ok()) {
        return refused(error);
    }
    // A printer that is off or unplugged holds DSR low.
    bool dsrOn = false;
    if (error = device->GetDsr(dsrOn); !error.Ok()) {
        return refused(error);
    }
    if (!dsrOn) {
        return Fail(PortOperation::Open, PortProblem::PrinterNotReady, {}, path,
                    "DSR is low: switched off or not connected");
    }
    device->Purge();
    serial_ = device.get();
    handle_ = std::move(device);
    return true;
}

bool PrinterPort::OpenNetwork(const std::string& address) {
    auto where = ParseNetworkAddress(address);
    platform::Error error;
    auto device = platform_.OpenNetwork(where->host, where->port, error);
    auto refused = [&](platform::Error why) {
        return Fail(PortOperation::Open, PortProblem::DeviceError, why, address);
    };
    if (!device) {
        return refused(error);
    }
    // The serial deadlines: a printer behind a network board answers as it would on its line.
    if (error = device->SetTimeouts(platform::SerialTimeouts{}); !error.Ok()) {
        return refused(error);
    }
    device->Purge();
    network_ = device.get();
    handle_ = std::move(device);
    return true;
}

bool PrinterPort::OpenParallel() {
    Close();
    const std::string path = DevicePath(portName_);
    platform::Error error{platform::ErrorKind::NotFound, 0};
    std::unique_ptr<platform::ParallelDevice> device;
    if (!path.empty()) {
        device = platform_.OpenParallel(path, error);
    }
    if (!device) {
        return Fail(PortOperation::Open, PortProblem::DeviceError, error, path);
    }
    // Only a selected printer with nothing else to report (not busy, paper in, on line) is ready.
    std::uint8_t status = 0;
    if (error = device->QueryStatus(status); !error.Ok()) {
        return Fail(PortOperation::Open, PortProblem::DeviceError, error, path);
    }
    if (status != platform::kParallelSelected) {
        return Fail(PortOperation::Open, PortProblem::PrinterNotReady, {}, path,
                    DescribeParallelStatus(status));
    }
    device->Purge();  // A parallel port may refuse to purge; that is harmless.
    handle_ = std::move(device);
    return true;
}

bool PrinterPort::OpenUsb() {
    if (!UsbSupported() || usb_ == nullptr) {
        return Fail(PortOperation::Open, PortProblem::UsbUnavailable);
    }
    if (!usb_->CheckUsbPortConflict()) {
        return Fail(PortOperation::Open, PortProblem::UsbQueueConflict);
    }
    Close();
    handle_ = usb_->OpenUsbPrinter();
    if (handle_ == nullptr) {
        platform::Error error = usb_->OpenError();
        return Fail(PortOperation::Open,
                    error.kind == platform::ErrorKind::NotFound ? PortProblem::NoUsbPrinter
                                                                : PortProblem::DeviceError,
                    error, usb_->ChosenDevicePath());
    }
    return true;
}

bool PrinterPort::UsbSupported() {
    return platform_.Facts().usbSupported;
}

void PrinterPort::Close() {
    if (!handle_) {
        return;
    }
    if (kind_ == InterfaceKind::Serial && serial_ != nullptr) {
        serial_->ClearEventMask();
        serial_->Purge();
    } else if (kind_ == InterfaceKind::Parallel) {
        handle_->Purge();
    }
    serial_ = nullptr;
    network_ = nullptr;
    handle_.reset();
}

bool PrinterPort::Write(std::span<const std::uint8_t> bytes) {
    if (!handle_) {
        return false;
    }
    platform::IoResult first = handle_->Write(bytes);
    if (first.count == bytes.size()) {
        return true;
    }
    Sleep(kRetryPauseMs);
    std::span<const std::uint8_t> remaining = bytes.subspan(first.count);
    platform::IoResult second = handle_->Write(remaining);
    if (second.count == remaining.size()) {
        return true;
    }
    platform::Error error = !second.error.Ok() ? second.error : first.error;
    if (error.Ok()) {
        error = {platform::ErrorKind::TimedOut, 0};
    }
    return Fail(PortOperation::Write, PortProblem::DeviceError, error, handle_->Name());
}

std::uint32_t PrinterPort::Read(std::span<std::uint8_t> buffer) {
    return ReadReply(buffer, {});
}

std::uint32_t PrinterPort::ReadOnce(std::span<std::uint8_t> buffer) {
    if (!handle_) {
        return 0;
    }
    platform::IoResult result = handle_->Read(buffer);
    NoteReadError(result.error);
    return static_cast<std::uint32_t>(result.count);
}

std::uint32_t PrinterPort::ReadReply(std::span<std::uint8_t> buffer,
                                     const platform::ReplyComplete& complete) {
    if (!handle_) {
        return 0;
    }
    auto request = [&](std::span<std::uint8_t> part) {
        if (!complete) {
            return handle_->Read(part);
        }
        // The reply is judged from the start of the buffer, also in the retry.
        std::size_t before = static_cast<std::size_t>(part.data() - buffer.data());
        return handle_->ReadReply(part, [&](std::span<const std::uint8_t> gathered) {
            return complete(buffer.first(before + gathered.size()));
        });
    };
    const auto length = static_cast<std::uint32_t>(buffer.size());
    platform::IoResult first = request(buffer);
    auto count = static_cast<std::uint32_t>(first.count);
    if (kind_ == InterfaceKind::Usb || count == length) {
        NoteReadError(first.error);
        return count;
    }
    Sleep(kRetryPauseMs);
    platform::IoResult second = request(buffer.subspan(count));
    NoteReadError(second.error);
    // The count says what the buffer holds: both requests' bytes.
    return count + static_cast<std::uint32_t>(second.count);
}

void PrinterPort::NoteReadError(const platform::Error& error) {
    // A read that waited out its deadline is a silent printer, which the callers judge; only
    // errors of the link itself are kept.
    if (!error.Ok() && error.kind != platform::ErrorKind::TimedOut) {
        Fail(PortOperation::Read, PortProblem::DeviceError, error, handle_->Name());
    }
}

std::optional<platform::SerialConfig> PrinterPort::LineConfig() {
    platform::SerialConfig config;
    if (serial_ == nullptr || !serial_->GetConfig(config).Ok()) {
        return std::nullopt;
    }
    return config;
}

bool PrinterPort::SetTimeouts(const platform::SerialTimeouts& timeouts) {
    if (serial_ != nullptr) {
        return serial_->SetTimeouts(timeouts).Ok();
    }
    return network_ != nullptr && network_->SetTimeouts(timeouts).Ok();
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
