#pragma once

// A printer port on the simulated platform with a scripted printer behind it, for the native and
// identification tests: open on a serial, parallel or USB link, script replies on the virtual
// clock, and read back the exchange as a compact trace.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "link/PrinterPort.h"
#include "link/UsbAccess.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::protocol::rig {

using Bytes = std::vector<std::uint8_t>;
using platform::sim::Micros;
using platform::sim::Ms;

enum class Link { Serial, Parallel, Usb };

inline const char* LinkName(Link link) {
    switch (link) {
        case Link::Serial:
            return "Serial";
        case Link::Parallel:
            return "Parallel";
        case Link::Usb:
            return "Usb";
    }
    return "?";
}

inline Bytes Text(const std::string& text) {
    return {text.begin(), text.end()};
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Opens the printer on the simulated USB device without a discovery step.
class DirectUsbAccess : public link::UsbAccess {
public:
    explicit DirectUsbAccess(platform::sim::SimPlatform& platform) : platform_(platform) {}
    bool CheckUsbPortConflict() override { return true; }
    std::unique_ptr<platform::Device> OpenUsbPrinter() override {
        platform::Error error;
        return platform_.OpenUsbPrinter(kUsbPath, true, error);
    }
    static constexpr const char* kUsbPath = "/dev/usb/lp0";

private:
    platform::sim::SimPlatform& platform_;
};

class PortRig {
public:
    explicit PortRig(Link link, platform::sim::SimPeer* peer = nullptr) : link_(link) {
        platform::sim::SimPeer& far = peer != nullptr ? *peer : printer;
        switch (link) {
            case Link::Serial:
                platform.AttachSerial("COM3", far);
                port.portName = "COM3";
                break;
            case Link::Parallel:
                platform.AttachParallel("LPT1:", far);
                port.portName = "LPT1:";
                break;
            case Link::Usb:
                platform.AttachUsb(DirectUsbAccess::kUsbPath, 0x2C9A, 0x0001, far);
                port.portName = "USB";
                break;
        }
        port.baudRate = 9600;
        port.dataBits = 8;
        port.SetUsbAccess(&usb);
        opened = port.Open();
        platform.ClearEvents();
        start_ = platform.NowMicros();
    }

    const char* DeviceName() const {
        switch (link_) {
            case Link::Serial:
                return "COM3";
            case Link::Parallel:
                return "LPT1:";
            case Link::Usb:
                return DirectUsbAccess::kUsbPath;
        }
        return "";
    }

    platform::sim::SimLine& Line() { return *platform.OpenLine(DeviceName()); }

    // Puts bytes on the line, readable delay after now; on USB one call is one transfer.
    void Send(const Bytes& bytes, Micros delay = 0) { printer.SendNow(Line(), bytes, delay); }

    // The exchange as lines: "W 08 5E" for a write, "R1 37" for a 1-byte read request and what
    // it brought ("R1 -" for nothing), "S10" for a 10 ms pause.
    std::vector<std::string> Trace() const {
        std::vector<std::string> lines;
        for (const auto& event : platform.Events()) {
            switch (event.kind) {
                case platform::sim::EventKind::Write:
                    lines.push_back("W" + Hex(event.bytes));
                    break;
                case platform::sim::EventKind::Read:
                    lines.push_back("R" + std::to_string(event.requested) +
                                    (event.bytes.empty() ? " -" : Hex(event.bytes)));
                    break;
                case platform::sim::EventKind::Sleep:
                    lines.push_back("S" + std::to_string(event.duration.count()));
                    break;
                default:
                    break;
            }
        }
        return lines;
    }

    std::vector<Bytes> Writes() const {
        std::vector<Bytes> writes;
        for (const auto& event : platform.Events()) {
            if (event.kind == platform::sim::EventKind::Write) {
                writes.push_back(event.bytes);
            }
        }
        return writes;
    }

    // Every byte the reads took off the line.
    Bytes Consumed() const {
        Bytes bytes;
        for (const auto& event : platform.Events()) {
            if (event.kind == platform::sim::EventKind::Read) {
                bytes.insert(bytes.end(), event.bytes.begin(), event.bytes.end());
            }
        }
        return bytes;
    }

    std::vector<long> PausesMs() const {
        std::vector<long> pauses;
        for (auto pause : platform.Pauses()) {
            pauses.push_back(static_cast<long>(pause.count()));
        }
        return pauses;
    }

    // Virtual time since the port was open.
    Micros Elapsed() const { return platform.NowMicros() - start_; }

    static std::string Hex(const Bytes& bytes) {
        std::string text;
        char digits[4];
        for (auto byte : bytes) {
            std::snprintf(digits, sizeof digits, " %02X", byte);
            text += digits;
        }
        return text;
    }

    platform::sim::SimPlatform platform;
    platform::sim::ScriptedPeer printer;
    DirectUsbAccess usb{platform};
    link::PrinterPort port{platform};
    bool opened = false;

private:
    Link link_;
    Micros start_ = 0;
};

// Time one silent single-byte read costs on a serial or parallel link: the read deadline, the
// port's retry pause and the second deadline.
inline constexpr Micros kSilentByteReadCost = Ms(2001 + 500 + 2001);

}  // namespace corvane::protocol::rig
