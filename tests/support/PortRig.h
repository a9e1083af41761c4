#pragma once

// A printer port on the simulated platform with a scripted printer behind it: open on a serial,
// parallel or USB link, script replies on the virtual clock, and read back the exchange as a
// compact trace.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "link/PrinterPort.h"
#include "platform/sim/SimPlatform.h"
#include "support/Bytes.h"
#include "support/DirectUsbAccess.h"

namespace corvane::support {

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

// The serial line a test opens: its name and the speed the port is set to.
struct SerialLine {
    std::string name = "COM3";
    std::uint32_t baudRate = 9600;
};

// Attaches the peer on the serial line, sets the port to it with 8 data bits and opens it.
inline bool OpenSerial(platform::sim::SimPlatform& platform, link::PrinterPort& port,
                       platform::sim::SimPeer& peer, const SerialLine& serial = {}) {
    platform.AttachSerial(serial.name, peer);
    port.SetPortName(serial.name);
    port.SetLineSettings({.baudRate = serial.baudRate, .dataBits = 8});
    return port.Open();
}

class PortRig {
public:
    explicit PortRig(Link link, platform::sim::SimPeer* peer = nullptr, SerialLine serial = {}) {
        platform::sim::SimPeer& far = peer != nullptr ? *peer : printer;
        switch (link) {
            case Link::Serial:
                deviceName_ = serial.name;
                break;
            case Link::Parallel:
                platform.AttachParallel("LPT1:", far);
                port.SetPortName("LPT1:");
                deviceName_ = "LPT1:";
                break;
            case Link::Usb:
                platform.AttachUsb(DirectUsbAccess::kUsbPath, 0x2C9A, 0x0001, far);
                port.SetPortName("USB");
                deviceName_ = DirectUsbAccess::kUsbPath;
                break;
        }
        port.SetUsbAccess(&usb);
        if (link == Link::Serial) {
            opened = OpenSerial(platform, port, far, serial);
        } else {
            port.SetLineSettings({.baudRate = serial.baudRate, .dataBits = 8});
            opened = port.Open();
        }
        platform.ClearEvents();
        start_ = platform.NowMicros();
    }

    // The name the simulated platform knows the printer's line by.
    const std::string& DeviceName() const { return deviceName_; }

    platform::sim::SimLine& Line() { return *platform.OpenLine(DeviceName()); }

    // Puts bytes on the line, readable delay after now; on USB one call is one transfer.
    void Send(const Bytes& bytes, Micros delay = 0) { printer.SendNow(Line(), bytes, delay); }

    // Everything the host wrote to the printer's line, in order.
    Bytes Sent() const { return platform.Written(DeviceName()); }

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
    std::string deviceName_;
    Micros start_ = 0;
};

// Time one silent single-byte read costs on a serial or parallel link: the read deadline, the
// port's retry pause and the second deadline.
inline constexpr Micros kSilentByteReadCost = Ms(2001 + 500 + 2001);

}  // namespace corvane::support
