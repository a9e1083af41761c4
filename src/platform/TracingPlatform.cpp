#include "platform/TracingPlatform.h"

#include <initializer_list>

#include <cstdio>
#include <utility>

namespace corvane::platform {

namespace {

const char* OnOff(bool on) {
    return on ? "on" : "off";
}

// Names a line-setting code (parity or stop bits, both numbered from 0), or marks it unknown.
std::string CodeText(std::uint32_t code, std::initializer_list<const char*> names) {
    return code < names.size() ? names.begin()[code] : "?" + std::to_string(code);
}

std::string ParityLetter(std::uint32_t parity) {
    return CodeText(parity, {"N", "O", "E"});
}

std::string StopBitsText(std::uint32_t stopBits) {
    return CodeText(stopBits, {"1", "1.5", "2"});
}

std::string DescribeStatus(std::uint8_t status) {
    static constexpr std::pair<std::uint8_t, const char*> kBits[] = {
        {kParallelSelected, "selected"},      {kParallelBusy, "busy"},
        {kParallelPaperEmpty, "paper empty"}, {kParallelOffLine, "off line"},
        {kParallelPowerOff, "power off"},     {kParallelNotConnected, "not connected"},
    };
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", status);
    std::string text = std::string("status ") + hex;
    std::string names;
    for (const auto& [bit, name] : kBits) {
        if ((status & bit) != 0) {
            names += names.empty() ? "" : ", ";
            names += name;
        }
    }
    return names.empty() ? text : text + " (" + names + ")";
}

std::string DescribeTimeouts(const SerialTimeouts& timeouts) {
    return "time-outs read " + std::to_string(timeouts.readConstantMs) + " ms + " +
           std::to_string(timeouts.readMultiplierMs) + " ms/byte, write " +
           std::to_string(timeouts.writeConstantMs) + " ms + " +
           std::to_string(timeouts.writeMultiplierMs) + " ms/byte";
}

TraceEntry MakeEntry(std::chrono::milliseconds at, std::string device, TraceOperation operation) {
    TraceEntry entry;
    entry.at = at;
    entry.device = std::move(device);
    entry.operation = operation;
    return entry;
}

// The traffic of one open device, shared by the three kinds of wrapper.
class DeviceTrace {
public:
    DeviceTrace(TracingPlatform& platform, Platform& clock, std::string name)
        : platform_(platform), clock_(clock), name_(std::move(name)) {}

    IoResult Write(Device& device, std::span<const std::uint8_t> data) {
        auto began = clock_.Now();
        IoResult result = device.Write(data);
        TraceEntry entry = Entry(TraceOperation::Write, result.error);
        entry.count = result.count;
        entry.requested = data.size();
        entry.elapsed = clock_.Now() - began;
        entry.bytes.assign(data.begin(), data.begin() + static_cast<long>(result.count));
        Record(std::move(entry), began);
        return result;
    }

    IoResult Read(Device& device, std::span<std::uint8_t> buffer,
                  const ReplyComplete& complete = {}) {
        auto began = clock_.Now();
        IoResult result = complete ? device.ReadReply(buffer, complete) : device.Read(buffer);
        TraceEntry entry = Entry(TraceOperation::Read, result.error);
        entry.count = result.count;
        entry.requested = buffer.size();
        entry.elapsed = clock_.Now() - began;
        entry.bytes.assign(buffer.begin(), buffer.begin() + static_cast<long>(result.count));
        Record(std::move(entry), began);
        return result;
    }

    Error Purge(Device& device) {
        auto began = clock_.Now();
        Error error = device.Purge();
        Record(Entry(TraceOperation::Purge, error), began);
        return error;
    }

    void Note(TraceOperation operation, const Error& error, std::string detail) {
        TraceEntry entry = Entry(operation, error);
        entry.detail = std::move(detail);
        Record(std::move(entry), clock_.Now());
    }

    void Closed() { Note(TraceOperation::Close, Error::None(), {}); }

private:
    TraceEntry Entry(TraceOperation operation, const Error& error) const {
        TraceEntry entry;
        entry.device = name_;
        entry.operation = operation;
        entry.error = error;
        return entry;
    }

    void Record(TraceEntry entry, std::chrono::milliseconds began) {
        // The platform stamps entries with the time now; a transfer is stamped when it began.
        entry.at = began;
        platform_.Record(std::move(entry));
    }

    TracingPlatform& platform_;
    Platform& clock_;
    std::string name_;
};

// Wraps a device of any kind and traces the transfers that every kind has.
template <typename Kind>
class TracedDevice : public Kind {
public:
    TracedDevice(std::unique_ptr<Kind> inner, DeviceTrace trace)
        : inner_(std::move(inner)), trace_(std::move(trace)) {}
    ~TracedDevice() override {
        inner_.reset();
        trace_.Closed();
    }

    IoResult Write(std::span<const std::uint8_t> data) override {
        return trace_.Write(*inner_, data);
    }
    IoResult Read(std::span<std::uint8_t> buffer) override { return trace_.Read(*inner_, buffer); }
    IoResult ReadReply(std::span<std::uint8_t> buffer, const ReplyComplete& complete) override {
        return trace_.Read(*inner_, buffer, complete);
    }
    Error Purge() override { return trace_.Purge(*inner_); }
    std::string Name() const override { return inner_->Name(); }

protected:
    std::unique_ptr<Kind> inner_;
    DeviceTrace trace_;
};

class TracingSerialDevice final : public TracedDevice<SerialDevice> {
public:
    using TracedDevice::TracedDevice;

    Error GetConfig(SerialConfig& config) override { return inner_->GetConfig(config); }
    Error SetConfig(const SerialConfig& config) override {
        Error error = inner_->SetConfig(config);
        trace_.Note(TraceOperation::Configure, error, DescribeConfig(config));
        return error;
    }
    Error SetTimeouts(const SerialTimeouts& timeouts) override {
        Error error = inner_->SetTimeouts(timeouts);
        trace_.Note(TraceOperation::Configure, error, DescribeTimeouts(timeouts));
        return error;
    }
    Error GetDsr(bool& dsrOn) override {
        Error error = inner_->GetDsr(dsrOn);
        trace_.Note(TraceOperation::Status, error,
                    error.Ok() ? std::string("DSR ") + OnOff(dsrOn) : std::string());
        return error;
    }
    Error ClearEventMask() override { return inner_->ClearEventMask(); }
};

class TracingNetworkDevice final : public TracedDevice<NetworkDevice> {
public:
    using TracedDevice::TracedDevice;
    Error SetTimeouts(const SerialTimeouts& timeouts) override {
        Error error = inner_->SetTimeouts(timeouts);
        trace_.Note(TraceOperation::Configure, error, DescribeTimeouts(timeouts));
        return error;
    }
};

class TracingParallelDevice final : public TracedDevice<ParallelDevice> {
public:
    using TracedDevice::TracedDevice;
    Error QueryStatus(std::uint8_t& status) override {
        Error error = inner_->QueryStatus(status);
        trace_.Note(TraceOperation::Status, error, error.Ok() ? DescribeStatus(status) : "");
        return error;
    }
};

class TracingDevice final : public TracedDevice<Device> {
public:
    using TracedDevice::TracedDevice;
};

}  // namespace

std::string DescribeConfig(const SerialConfig& config) {
    return std::to_string(config.baudRate) + " " + std::to_string(config.dataBits) +
           ParityLetter(config.parity) + StopBitsText(config.stopBits) + ", parity check " +
           OnOff(config.parityCheck) + ", DSR flow " + OnOff(config.dsrOutputFlow) + ", DTR " +
           OnOff(config.dtrOn) + ", RTS " + OnOff(config.rtsOn);
}

TracingPlatform::TracingPlatform(Platform& inner, TraceSink& sink)
    : inner_(inner), sink_(sink), start_(inner.Now()) {}

TracingPlatform::TracingPlatform(Platform& inner, std::unique_ptr<TraceSink> sink)
    : inner_(inner), ownedSink_(std::move(sink)), sink_(*ownedSink_), start_(inner.Now()) {}

TracingPlatform::~TracingPlatform() = default;

void TracingPlatform::Record(TraceEntry entry) {
    entry.at -= start_;
    sink_.Record(entry);
}

std::unique_ptr<SerialDevice> TracingPlatform::OpenSerial(const std::string& devicePath,
                                                          Error& error) {
    auto began = inner_.Now();
    auto device = inner_.OpenSerial(devicePath, error);
    TraceEntry entry = MakeEntry(began, devicePath, TraceOperation::Open);
    entry.error = device ? Error::None() : error;
    entry.detail = device ? device->Name() : devicePath;
    Record(std::move(entry));
    if (!device) {
        return nullptr;
    }
    return std::make_unique<TracingSerialDevice>(std::move(device),
                                                 DeviceTrace(*this, inner_, devicePath));
}

std::unique_ptr<ParallelDevice> TracingPlatform::OpenParallel(const std::string& devicePath,
                                                              Error& error) {
    auto began = inner_.Now();
    auto device = inner_.OpenParallel(devicePath, error);
    TraceEntry entry = MakeEntry(began, devicePath, TraceOperation::Open);
    entry.error = device ? Error::None() : error;
    entry.detail = device ? device->Name() : devicePath;
    Record(std::move(entry));
    if (!device) {
        return nullptr;
    }
    return std::make_unique<TracingParallelDevice>(std::move(device),
                                                   DeviceTrace(*this, inner_, devicePath));
}

std::unique_ptr<NetworkDevice> TracingPlatform::OpenNetwork(const std::string& host,
                                                            std::uint16_t port, Error& error) {
    const std::string name = NetworkDeviceName(host, port);
    auto began = inner_.Now();
    auto device = inner_.OpenNetwork(host, port, error);
    TraceEntry entry = MakeEntry(began, name, TraceOperation::Open);
    entry.error = device ? Error::None() : error;
    entry.detail = device ? "connected" : DescribeNetworkError(error);
    Record(std::move(entry));
    if (!device) {
        return nullptr;
    }
    return std::make_unique<TracingNetworkDevice>(std::move(device),
                                                  DeviceTrace(*this, inner_, name));
}

std::string TracingPlatform::DefaultDevicePath(PortFamily family, int number) {
    return inner_.DefaultDevicePath(family, number);
}

std::vector<UsbPrinterInfo> TracingPlatform::ListUsbPrinters() {
    auto began = inner_.Now();
    auto printers = inner_.ListUsbPrinters();
    TraceEntry entry = MakeEntry(began, "USB", TraceOperation::List);
    entry.count = printers.size();
    for (const auto& printer : printers) {
        char ids[16];
        std::snprintf(ids, sizeof ids, "%04X:%04X", printer.vendorId, printer.productId);
        entry.detail += (entry.detail.empty() ? "" : "; ") + printer.devicePath + " " + ids;
    }
    Record(std::move(entry));
    return printers;
}

std::unique_ptr<Device> TracingPlatform::OpenUsbPrinter(const std::string& devicePath,
                                                        bool exclusive, Error& error) {
    auto began = inner_.Now();
    auto device = inner_.OpenUsbPrinter(devicePath, exclusive, error);
    TraceEntry entry = MakeEntry(began, devicePath, TraceOperation::Open);
    entry.error = device ? Error::None() : error;
    entry.detail = exclusive ? "exclusive" : "shared";
    Record(std::move(entry));
    if (!device) {
        return nullptr;
    }
    return std::make_unique<TracingDevice>(std::move(device),
                                           DeviceTrace(*this, inner_, devicePath));
}

Spooler& TracingPlatform::GetSpooler() {
    return inner_.GetSpooler();
}

void TracingPlatform::Sleep(std::chrono::milliseconds duration) {
    TraceEntry entry = MakeEntry(inner_.Now(), "-", TraceOperation::Pause);
    entry.elapsed = duration;
    Record(std::move(entry));
    inner_.Sleep(duration);
}

std::chrono::milliseconds TracingPlatform::Now() {
    return inner_.Now();
}

OsFacts TracingPlatform::Facts() {
    return inner_.Facts();
}

void TracingPlatform::Note(const std::string& line) {
    TraceEntry entry = MakeEntry(inner_.Now(), "-", TraceOperation::Note);
    entry.detail = line;
    Record(std::move(entry));
    inner_.Note(line);
}

std::unique_ptr<Platform> MakeTracingPlatform(Platform& inner, std::ostream& out) {
    return std::make_unique<TracingPlatform>(inner, std::make_unique<TraceSink>(out));
}

std::unique_ptr<Platform> MakeTracingPlatform(Platform& inner, const std::string& path,
                                              std::string& errorMessage) {
    auto sink = TraceSink::OpenFile(path, errorMessage);
    if (!sink) {
        return nullptr;
    }
    return std::make_unique<TracingPlatform>(inner, std::move(sink));
}

}  // namespace corvane::platform
