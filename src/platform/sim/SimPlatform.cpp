#include "platform/sim/SimPlatform.h"

#include <algorithm>
#include <cerrno>

#include "platform/sim/SerialWire.h"

namespace corvane::platform::sim {

SimLine::SimLine(SimPlatform& platform, DeviceKind kind, std::string name)
    : platform_(platform), kind_(kind), name_(std::move(name)) {}

Micros SimLine::Now() const {
    return platform_.now_;
}

std::optional<SerialConfig> SimLine::PeerLine() {
    if (kind_ != DeviceKind::Serial || peer_ == nullptr) {
        return std::nullopt;
    }
    return peer_->SerialLine(*this);
}

std::vector<std::uint8_t> SimLine::ToHost(std::span<const std::uint8_t> bytes) {
    auto printerLine = PeerLine();
    return printerLine ? Reframe(bytes, *printerLine, config_)
                       : std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> SimLine::ToPeer(std::span<const std::uint8_t> bytes) {
    auto printerLine = PeerLine();
    return printerLine ? Reframe(bytes, config_, *printerLine)
                       : std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void SimLine::Deliver(std::span<const std::uint8_t> bytes, Micros readableAt) {
    std::vector<std::uint8_t> received = ToHost(bytes);
    if (received.empty()) {
        return;
    }
    Chunk chunk{std::move(received), readableAt};
    auto later =
        std::upper_bound(receive_.begin(), receive_.end(), readableAt,
                         [](Micros at, const Chunk& existing) { return at < existing.readableAt; });
    receive_.insert(later, std::move(chunk));
}

// The behaviour all three kinds of virtual device share: timed reads and writes on the line.
class SimDeviceBase {
public:
    SimDeviceBase(SimPlatform& platform, SimPlatform::Slot& slot, DeviceKind kind,
                  const std::string& name)
        : platform_(platform), slot_(slot), line_(platform, kind, name) {
        line_.peer_ = slot_.peer;
        slot_.openLine = &line_;
        slot_.peer->OnOpen(line_);
    }
    ~SimDeviceBase() {
        slot_.peer->OnClose(line_);
        slot_.openLine = nullptr;
        platform_.Record({EventKind::Close, line_.Name(), platform_.now_});
    }

    IoResult DoWrite(std::span<const std::uint8_t> data) {
        Event event{EventKind::Write, line_.Name(), platform_.now_};
        event.requested = data.size();
        IoResult result;
        bool held = line_.Kind() == DeviceKind::Serial && line_.config_.dsrOutputFlow &&
                    !slot_.peer->Dsr(line_);
        if (slot_.peer->Unplugged(line_)) {
            result.error = {ErrorKind::Disconnected, 0};
        } else if (held) {
            platform_.now_ += WriteDeadline(data.size());
            result.error = {ErrorKind::TimedOut, 0};
        } else {
            std::size_t taken = std::min(slot_.peer->AcceptWrite(line_, data.size()), data.size());
            result.count = taken;
            if (taken < data.size()) {
                platform_.now_ += WriteDeadline(data.size());
                result.error = {ErrorKind::TimedOut, 0};
            }
        }
        event.bytes.assign(data.begin(), data.begin() + static_cast<long>(result.count));
        platform_.Record(event);
        if (result.count > 0) {
            // The event keeps what the program sent; the printer gets what its line makes of it.
            std::vector<std::uint8_t> received = line_.ToPeer(data.first(result.count));
            if (!received.empty()) {
                slot_.peer->OnHostWrite(line_, received);
            }
        }
        return result;
    }

    IoResult DoRead(std::span<std::uint8_t> buffer, const ReplyComplete& complete = {}) {
        Event event{EventKind::Read, line_.Name(), platform_.now_};
        event.requested = buffer.size();
        IoResult result = line_.Kind() == DeviceKind::Usb ? ReadTransfer(buffer)
                                                          : ReadUntilDeadline(buffer, complete);
        event.bytes.assign(buffer.begin(), buffer.begin() + static_cast<long>(result.count));
        platform_.Record(event);
        return result;
    }

    Error DoPurge() {
        platform_.Record({EventKind::Purge, line_.Name(), platform_.now_});
        auto& queue = line_.receive_;
        while (!queue.empty() && queue.front().readableAt <= platform_.now_) {
            queue.pop_front();
        }
        return {};
    }

    SimLine& Line() { return line_; }
    const SimLine& Line() const { return line_; }
    SimPlatform& PlatformRef() { return platform_; }
    SimPeer& Peer() { return *slot_.peer; }
    void Record(const Event& event) { platform_.Record(event); }
    void SetLineConfig(const SerialConfig& config) { line_.config_ = config; }
    void SetLineTimeouts(const SerialTimeouts& timeouts) { line_.timeouts_ = timeouts; }

private:
    Micros WriteDeadline(std::size_t bytes) const {
        const auto& t = line_.timeouts_;
        return Ms(t.writeConstantMs + std::uint64_t{t.writeMultiplierMs} * bytes);
    }
    Micros ReadDeadline(std::size_t bytes) const {
        const auto& t = line_.timeouts_;
        return Ms(t.readConstantMs + std::uint64_t{t.readMultiplierMs} * bytes);
    }

    // Serial and parallel: gather bytes until the request is full, holds a whole reply when it
    // would wait for more, or its deadline passes.
    IoResult ReadUntilDeadline(std::span<std::uint8_t> buffer, const ReplyComplete& complete) {
        IoResult result;
        Micros deadline = platform_.now_ + ReadDeadline(buffer.size());
        if (slot_.peer->Unplugged(line_)) {
            result.error = {ErrorKind::Disconnected, 0};
            return result;
        }
        auto& queue = line_.receive_;
        Micros lastArrival = platform_.now_;
        auto whole = [&] { return complete && complete(buffer.first(result.count)); };
        bool ended = false;
        while (result.count < buffer.size() && !queue.empty() &&
               queue.front().readableAt <= deadline) {
            if (queue.front().readableAt > lastArrival && whole()) {
                ended = true;
                break;
            }
            auto& chunk = queue.front();
            std::size_t take = std::min(chunk.bytes.size(), buffer.size() - result.count);
            std::copy_n(chunk.bytes.begin(), take,
                        buffer.begin() + static_cast<long>(result.count));
            result.count += take;
            lastArrival = std::max(lastArrival, chunk.readableAt);
            chunk.bytes.erase(chunk.bytes.begin(), chunk.bytes.begin() + static_cast<long>(take));
            if (chunk.bytes.empty()) {
                queue.pop_front();
            }
        }
        if (result.count == buffer.size() || ended || whole()) {
            platform_.now_ = lastArrival;
        } else {
            platform_.now_ = deadline;
            result.error = {ErrorKind::TimedOut, 0};
        }
        return result;
    }

    // USB: one transfer, or what an earlier shorter read left of it, waiting at most the USB
    // read time-out for it.
    IoResult ReadTransfer(std::span<std::uint8_t> buffer) {
        IoResult result;
        if (slot_.peer->Unplugged(line_)) {
            result.error = {ErrorKind::Disconnected, 0};
            return result;
        }
        Micros deadline = platform_.now_ + Ms(kUsbReadTimeoutMs);
        auto& queue = line_.receive_;
        if (queue.empty() || queue.front().readableAt > deadline) {
            platform_.now_ = deadline;
            result.error = {ErrorKind::TimedOut, 0};
            return result;
        }
        auto& chunk = queue.front();
        platform_.now_ = std::max(platform_.now_, chunk.readableAt);
        result.count = std::min(chunk.bytes.size(), buffer.size());
        std::copy_n(chunk.bytes.begin(), result.count, buffer.begin());
        // The kernel's printer driver keeps the rest of a transfer larger than the read for the
        // next read, so a reply's tail can reach the next exchange.
        chunk.bytes.erase(chunk.bytes.begin(),
                          chunk.bytes.begin() + static_cast<long>(result.count));
        if (chunk.bytes.empty()) {
            queue.pop_front();
        }
        return result;
    }

    SimPlatform& platform_;
    SimPlatform::Slot& slot_;
    SimLine line_;
};

namespace {

// The transfers every kind of virtual device has, on the interface of its kind.
template <typename Kind>
class SimDevice : public Kind, protected SimDeviceBase {
public:
    SimDevice(SimPlatform& platform, SimPlatform::Slot& slot, DeviceKind kind,
              const std::string& name)
        : SimDeviceBase(platform, slot, kind, name) {}

    IoResult Write(std::span<const std::uint8_t> data) override { return DoWrite(data); }
    IoResult Read(std::span<std::uint8_t> buffer) override { return DoRead(buffer); }
    IoResult ReadReply(std::span<std::uint8_t> buffer, const ReplyComplete& complete) override {
        return DoRead(buffer, complete);
    }
    Error Purge() override { return DoPurge(); }
    std::string Name() const override { return Line().Name(); }

protected:
    Error DoSetTimeouts(const SerialTimeouts& timeouts) {
        Record({EventKind::SetTimeouts, Line().Name(), PlatformRef().NowMicros()});
        SetLineTimeouts(timeouts);
        return {};
    }
};

class SimSerialDevice final : public SimDevice<SerialDevice> {
public:
    SimSerialDevice(SimPlatform& platform, SimPlatform::Slot& slot, const std::string& name)
        : SimDevice(platform, slot, DeviceKind::Serial, name) {}

    Error GetConfig(SerialConfig& config) override {
        config = Line().Config();
        return {};
    }
    Error SetConfig(const SerialConfig& config) override {
        Event event{EventKind::Configure, Line().Name(), PlatformRef().NowMicros()};
        event.config = config;
        bool valid = (config.dataBits == 7 || config.dataBits == 8) && config.parity <= 2 &&
                     config.stopBits <= 2 && config.baudRate > 0 &&
                     // One and a half stop bits exist only for 5-bit characters.
                     config.stopBits != kStopBitsOneAndHalf;
        if (!valid) {
            event.kind = EventKind::OpenFailed;
            Record(event);
            return {ErrorKind::InvalidArgument, 0};
        }
        Record(event);
        SetLineConfig(config);
        return {};
    }
    Error SetTimeouts(const SerialTimeouts& timeouts) override { return DoSetTimeouts(timeouts); }
    Error GetDsr(bool& dsrOn) override {
        if (Peer().Unplugged(Line())) {
            return {ErrorKind::Disconnected, 0};
        }
        dsrOn = Peer().Dsr(Line());
        return {};
    }
    Error ClearEventMask() override { return {}; }
};

class SimParallelDevice final : public SimDevice<ParallelDevice> {
public:
    SimParallelDevice(SimPlatform& platform, SimPlatform::Slot& slot, const std::string& name)
        : SimDevice(platform, slot, DeviceKind::Parallel, name) {}

    Error QueryStatus(std::uint8_t& status) override {
        if (Peer().Unplugged(Line())) {
            status = kParallelNotConnected;
            return {};
        }
        status = Peer().ParallelStatus(Line());
        return {};
    }
};

class SimNetworkDevice final : public SimDevice<NetworkDevice> {
public:
    SimNetworkDevice(SimPlatform& platform, SimPlatform::Slot& slot, const std::string& name)
        : SimDevice(platform, slot, DeviceKind::Network, name) {}

    Error SetTimeouts(const SerialTimeouts& timeouts) override { return DoSetTimeouts(timeouts); }
};

// A USB read takes one transfer whether or not it is whole, so a reply read is a plain read.
class SimUsbDevice final : public SimDevice<Device> {
public:
    SimUsbDevice(SimPlatform& platform, SimPlatform::Slot& slot, const std::string& name)
        : SimDevice(platform, slot, DeviceKind::Usb, name) {}
};

}  // namespace

SimPlatform::SimPlatform() = default;
SimPlatform::~SimPlatform() = default;

void SimPlatform::AttachSerial(const std::string& devicePath, SimPeer& peer) {
    slots_[devicePath] = Slot{DeviceKind::Serial, &peer};
}

void SimPlatform::AttachParallel(const std::string& devicePath, SimPeer& peer) {
    slots_[devicePath] = Slot{DeviceKind::Parallel, &peer};
}

void SimPlatform::AttachUsb(const std::string& devicePath, std::uint16_t vendorId,
                            std::uint16_t productId, SimPeer& peer) {
    slots_[devicePath] = Slot{DeviceKind::Usb, &peer, vendorId, productId};
    if (std::find(usbOrder_.begin(), usbOrder_.end(), devicePath) == usbOrder_.end()) {
        usbOrder_.push_back(devicePath);
    }
}

void SimPlatform::AttachNetwork(const std::string& host, std::uint16_t port, SimPeer& peer) {
    slots_[NetworkDeviceName(host, port)] = Slot{DeviceKind::Network, &peer};
}

void SimPlatform::SetPeerFactory(PeerFactory factory) {
    factory_ = std::move(factory);
}

void SimPlatform::SetBusy(const std::string& name, bool busy) {
    auto it = slots_.find(name);
    if (it != slots_.end()) {
        it->second.busy = busy;
    }
}

SimPlatform::Slot* SimPlatform::FindSlot(DeviceKind kind, const std::string& name, Error& error,
                                         bool ignoreBusy) {
    auto it = slots_.find(name);
    if (it == slots_.end() && factory_ && kind != DeviceKind::Usb) {
        if (SimPeer* peer = factory_(kind, name)) {
            it = slots_.emplace(name, Slot{kind, peer}).first;
        }
    }
    Event failed{EventKind::OpenFailed, name, now_};
    if (it == slots_.end() || it->second.kind != kind) {
        error = {ErrorKind::NotFound, 0};
        Record(failed);
        return nullptr;
    }
    if ((it->second.busy && !ignoreBusy) || it->second.openLine != nullptr) {
        error = {ErrorKind::Busy, 0};
        Record(failed);
        return nullptr;
    }
    error = {};
    Record({EventKind::Open, name, now_});
    return &it->second;
}

std::unique_ptr<SerialDevice> SimPlatform::OpenSerial(const std::string& devicePath, Error& error) {
    Slot* slot = FindSlot(DeviceKind::Serial, devicePath, error);
    if (slot == nullptr) {
        return nullptr;
    }
    return std::make_unique<SimSerialDevice>(*this, *slot, devicePath);
}

std::unique_ptr<ParallelDevice> SimPlatform::OpenParallel(const std::string& devicePath,
                                                          Error& error) {
    Slot* slot = FindSlot(DeviceKind::Parallel, devicePath, error);
    if (slot == nullptr) {
        return nullptr;
    }
    return std::make_unique<SimParallelDevice>(*this, *slot, devicePath);
}

std::unique_ptr<NetworkDevice> SimPlatform::OpenNetwork(const std::string& host, std::uint16_t port,
                                                        Error& error) {
    const std::string name = NetworkDeviceName(host, port);
    Slot* slot = FindSlot(DeviceKind::Network, name, error);
    if (slot == nullptr) {
        if (error.kind == ErrorKind::NotFound) {
            error = {ErrorKind::NotFound, ECONNREFUSED, NativeSource::Errno};
        }
        return nullptr;
    }
    return std::make_unique<SimNetworkDevice>(*this, *slot, name);
}

std::string SimPlatform::DefaultDevicePath(PortFamily family, int number) {
    std::string digits = std::to_string(number);
    if (family == PortFamily::Parallel) {
        return "LPT" + digits + ":";
    }
    // The connection window reaches ports above 9 through the device namespace prefix.
    return number > 9 ? "\\\\.\\COM" + digits : "COM" + digits;
}

std::vector<UsbPrinterInfo> SimPlatform::ListUsbPrinters() {
    std::vector<UsbPrinterInfo> list;
    for (const auto& path : usbOrder_) {
        const Slot& slot = slots_.at(path);
        list.push_back({path, "sim:" + path, slot.vendorId, slot.productId});
    }
    return list;
}

std::unique_ptr<Device> SimPlatform::OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                                    Error& error) {
    // A shared open of a device that another program holds still succeeds.
    Slot* slot = FindSlot(DeviceKind::Usb, devicePath, error, !exclusive);
    if (slot == nullptr) {
        return nullptr;
    }
    return std::make_unique<SimUsbDevice>(*this, *slot, devicePath);
}

void SimPlatform::Sleep(std::chrono::milliseconds duration) {
    Event event{EventKind::Sleep, {}, now_};
    event.duration = duration;
    Record(event);
    now_ += Ms(static_cast<std::uint64_t>(duration.count()));
}

std::chrono::milliseconds SimPlatform::Now() {
    return std::chrono::milliseconds(static_cast<std::int64_t>(now_ / 1000));
}

std::vector<std::uint8_t> SimPlatform::Written(const std::string& name) const {
    std::vector<std::uint8_t> bytes;
    for (const auto& event : events_) {
        if (event.kind == EventKind::Write && event.device == name) {
            bytes.insert(bytes.end(), event.bytes.begin(), event.bytes.end());
        }
    }
    return bytes;
}

std::vector<std::chrono::milliseconds> SimPlatform::Pauses() const {
    std::vector<std::chrono::milliseconds> pauses;
    for (const auto& event : events_) {
        if (event.kind == EventKind::Sleep) {
            pauses.push_back(event.duration);
        }
    }
    return pauses;
}

SimLine* SimPlatform::OpenLine(const std::string& name) {
    auto it = slots_.find(name);
    return it == slots_.end() ? nullptr : it->second.openLine;
}

void ScriptedPeer::ReplyToNextWrite(std::vector<std::uint8_t> reply, Micros delay) {
    replies_.push_back({std::move(reply), delay});
}

void ScriptedPeer::SendNow(SimLine& line, std::vector<std::uint8_t> bytes, Micros delay) {
    line.Deliver(bytes, line.Now() + delay);
}

void ScriptedPeer::OnHostWrite(SimLine& line, std::span<const std::uint8_t> bytes) {
    received.insert(received.end(), bytes.begin(), bytes.end());
    if (!replies_.empty()) {
        auto reply = std::move(replies_.front());
        replies_.pop_front();
        line.Deliver(reply.bytes, line.Now() + reply.delay);
    }
}

std::size_t ScriptedPeer::AcceptWrite(SimLine&, std::size_t requested) {
    if (acceptCounts.empty()) {
        return requested;
    }
    std::size_t count = acceptCounts.front();
    acceptCounts.erase(acceptCounts.begin());
    return std::min(count, requested);
}

}  // namespace corvane::platform::sim
