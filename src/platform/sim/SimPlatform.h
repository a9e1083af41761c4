#pragma once

// A platform whose devices and clock are virtual.
//
// Tests, demonstrations and `corvane --simulate` run the real program against it. Time advances
// only when the program pauses or waits on a device, so an exchange with seconds of pauses runs
// in microseconds, and the event log shows every byte written and read and every pause, in
// order, with its virtual time.
//
// The far end of each device is a SimPeer: a virtual printer, or a script in a test. The peer
// sees every write and puts its replies on the line with a time at which they become readable.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Spooler.h"

namespace corvane::platform::sim {

// Virtual time in microseconds since the platform was made.
using Micros = std::uint64_t;

inline constexpr Micros Ms(std::uint64_t ms) {
    return ms * 1000;
}

enum class DeviceKind { Serial, Parallel, Usb };

class SimLine;

// The far end of a virtual device.
class SimPeer {
public:
    virtual ~SimPeer() = default;
    virtual void OnOpen(SimLine&) {}
    virtual void OnClose(SimLine&) {}
    // The program wrote these bytes; they have all arrived at line.Now().
    virtual void OnHostWrite(SimLine& line, std::span<const std::uint8_t> bytes) = 0;
    // How many of the requested bytes the device takes in one request; fewer makes the
    // request end at its deadline with a short count.
    virtual std::size_t AcceptWrite(SimLine&, std::size_t requested) { return requested; }
    // The printer's DSR line (serial only).
    virtual bool Dsr(SimLine&) { return true; }
    // The printer's status as kParallel bits (parallel only).
    virtual std::uint8_t ParallelStatus(SimLine&) { return kParallelSelected; }
    // True once the printer is unplugged: reads and writes fail from then on.
    virtual bool Unplugged(SimLine&) { return false; }
};

// The peer's view of one open device.
class SimLine {
public:
    SimLine(class SimPlatform& platform, DeviceKind kind, std::string name);

    Micros Now() const;
    DeviceKind Kind() const { return kind_; }
    const std::string& Name() const { return name_; }
    const SerialConfig& Config() const { return config_; }

    // Puts bytes on the program's receive side, readable from the given time on. On USB one
    // call is one transfer: a read returns at most one of them, and what a shorter read leaves
    // of it is the next read's.
    void Deliver(std::span<const std::uint8_t> bytes, Micros readableAt);
    void DeliverNow(std::span<const std::uint8_t> bytes) { Deliver(bytes, Now()); }

private:
    friend class SimDeviceBase;
    friend class SimPlatform;
    struct Chunk {
        std::vector<std::uint8_t> bytes;
        Micros readableAt;
    };
    SimPlatform& platform_;
    DeviceKind kind_;
    std::string name_;
    SerialConfig config_;
    SerialTimeouts timeouts_;
    std::deque<Chunk> receive_;  // kept in order of readableAt
};

enum class EventKind { Open, OpenFailed, Configure, SetTimeouts, Purge, Write, Read, Sleep, Close };

// One entry of the event log.
struct Event {
    Event(EventKind eventKind, std::string deviceName, Micros time)
        : kind(eventKind), device(std::move(deviceName)), at(time) {}

    EventKind kind;
    std::string device;                     // empty for Sleep
    Micros at = 0;                          // virtual time when the operation began
    std::vector<std::uint8_t> bytes;        // written or read
    std::size_t requested = 0;              // bytes asked for by a read or write
    std::chrono::milliseconds duration{0};  // a Sleep's length
    SerialConfig config;                    // a Configure's settings
};

class SimPlatform final : public Platform {
public:
    SimPlatform();
    ~SimPlatform() override;

    // Puts a device behind a device path. A port's standard device here is the port's own name
    // in the connection window's spelling ("COM3", "\\.\COM12", "LPT1:"), so a printer attached
    // under that name is what the port opens. The platform does not own the peer.
    void AttachSerial(const std::string& devicePath, SimPeer& peer);
    void AttachParallel(const std::string& devicePath, SimPeer& peer);
    void AttachUsb(const std::string& devicePath, std::uint16_t vendorId, std::uint16_t productId,
                   SimPeer& peer);
    // Gives every serial or parallel device path without an attached peer one from the factory,
    // so that any port the user picks reaches a printer.
    using PeerFactory = std::function<SimPeer*(DeviceKind, const std::string& name)>;
    void SetPeerFactory(PeerFactory factory);
    // Makes opens of the name fail as if another program held the device.
    void SetBusy(const std::string& name, bool busy);

    void SetFacts(const OsFacts& facts) { facts_ = facts; }
    void SetSpooler(Spooler* spooler) { spooler_ = spooler; }
    // The record of held things the program writes to; none unless a test gives one.
    void SetHoldings(Holdings* holdings) { holdings_ = holdings; }

    Micros NowMicros() const { return now_; }
    void Advance(Micros duration) { now_ += duration; }

    const std::vector<Event>& Events() const { return events_; }
    void ClearEvents() { events_.clear(); }
    // Every byte the program wrote to the named device, in order, across opens.
    std::vector<std::uint8_t> Written(const std::string& name) const;
    // The pauses the program took, in order.
    std::vector<std::chrono::milliseconds> Pauses() const;

    // The open line of a device, or null when it is not open.
    SimLine* OpenLine(const std::string& name);

    // Platform
    std::unique_ptr<SerialDevice> OpenSerial(const std::string& devicePath, Error& error) override;
    std::unique_ptr<ParallelDevice> OpenParallel(const std::string& devicePath,
                                                 Error& error) override;
    // "COM3", "\\.\COM12", "LPT1:": the port's name as the connection window spells it.
    std::string DefaultDevicePath(PortFamily family, int number) override;
    std::vector<UsbPrinterInfo> ListUsbPrinters() override;
    std::unique_ptr<Device> OpenUsbPrinter(const std::string& devicePath, bool exclusive,
                                           Error& error) override;
    Spooler& GetSpooler() override { return *spooler_; }
    Holdings* GetHoldings() override { return holdings_; }
    void Sleep(std::chrono::milliseconds duration) override;
    std::chrono::milliseconds Now() override;
    OsFacts Facts() override { return facts_; }

    // A device name's attachment; internal to the backend.
    struct Slot {
        DeviceKind kind;
        SimPeer* peer = nullptr;
        std::uint16_t vendorId = 0;
        std::uint16_t productId = 0;
        bool busy = false;
        SimLine* openLine = nullptr;
    };

private:
    friend class SimLine;
    friend class SimDeviceBase;
    Slot* FindSlot(DeviceKind kind, const std::string& name, Error& error, bool ignoreBusy = false);
    void Record(Event event) { events_.push_back(std::move(event)); }

    Micros now_ = 0;
    std::map<std::string, Slot> slots_;
    std::vector<std::string> usbOrder_;
    PeerFactory factory_;
    OsFacts facts_;
    NoSpooler noSpooler_;
    Spooler* spooler_ = &noSpooler_;
    Holdings* holdings_ = nullptr;
    std::vector<Event> events_;
};

// A peer that a test scripts: it records what the program wrote and answers with prepared
// replies, each sent when a write is seen (or at once), after an optional delay.
class ScriptedPeer : public SimPeer {
public:
    // Queues a reply to go out after the next write, readable delay later.
    void ReplyToNextWrite(std::vector<std::uint8_t> reply, Micros delay = 0);
    // Puts bytes on the line now (for a device that is already open).
    void SendNow(SimLine& line, std::vector<std::uint8_t> bytes, Micros delay = 0);

    std::vector<std::size_t> acceptCounts;  // per write request, how many bytes to take
    bool dsr = true;
    std::uint8_t parallelStatus = kParallelSelected;
    bool unplugged = false;
    std::vector<std::uint8_t> received;

    void OnHostWrite(SimLine& line, std::span<const std::uint8_t> bytes) override;
    std::size_t AcceptWrite(SimLine& line, std::size_t requested) override;
    bool Dsr(SimLine&) override { return dsr; }
    std::uint8_t ParallelStatus(SimLine&) override { return parallelStatus; }
    bool Unplugged(SimLine&) override { return unplugged; }

private:
    struct Pending {
        std::vector<std::uint8_t> bytes;
        Micros delay;
    };
    std::deque<Pending> replies_;
};

}  // namespace corvane::platform::sim
