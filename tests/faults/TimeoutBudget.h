#pragma once

// How long an exchange may take at most, worked out from the port's time-outs and the pauses the
// exchange asks for, not measured: a printer that stops answering, answers in part or goes away
// must let the program go within this time.
//
// The costs of one operation on the port:
// - a pause costs its length;
// - a read of n bytes on a serial or parallel link that ends short waits out its deadline of
//   2000 ms + 1 ms per byte, the port pauses 500 ms and tries once more with the same deadline
//   at most; on USB a read that brings nothing ends after 2000 ms and is not tried again;
// - a write that the simulated printer refuses (it takes every byte while plugged in and refuses
//   at once when unplugged) costs the port's 500 ms pause before its one retry.
// Every reading rule gives up at its first read that ends short, so a reply costs its pauses and
// one such read (the largest the rule makes); the rules that read a USB reply once more after an
// empty read, and the power save reply's three attempts, count each read. Bytes that arrive cost
// nothing beyond the time the printer takes to send them, which the slow faults add.

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "platform/Platform.h"
#include "platform/sim/SimPlatform.h"
#include "support/PortRig.h"

namespace corvane::faults {

using platform::sim::Micros;
using platform::sim::Ms;
using support::Link;

// The port's one retry of a short read or write waits this long first.
inline constexpr std::uint64_t kPortRetryPauseMs = 500;
// A serial device waits this long after it is opened, before anything is sent.
inline constexpr std::uint64_t kSerialOpenPauseMs = 100;

class Budget {
public:
    explicit Budget(Link link) : link_(link) {}

    Link GetLink() const { return link_; }
    bool Usb() const { return link_ == Link::Usb; }
    Micros Total() const { return total_; }

    Budget& Pause(std::uint64_t ms) {
        total_ += Ms(ms);
        return *this;
    }
    // The pause only a serial port makes after it opens.
    Budget& Open() { return link_ == Link::Serial ? Pause(kSerialOpenPauseMs) : *this; }
    Budget& Writes(int count) {
        return Pause(kPortRetryPauseMs * static_cast<std::uint64_t>(count));
    }
    // Reads of n bytes that may end short, each waiting out what the port allows.
    Budget& Waits(std::uint64_t bytes, int count = 1) {
        std::uint64_t one = Usb() ? platform::kUsbReadTimeoutMs
                                  : 2 * (platform::SerialTimeouts{}.readConstantMs +
                                         platform::SerialTimeouts{}.readMultiplierMs * bytes) +
                                        kPortRetryPauseMs;
        return Pause(one * static_cast<std::uint64_t>(count));
    }
    // Adds another budget of the same link, such as an identification inside a longer exchange.
    Budget& Then(const Budget& other) {
        total_ += other.total_;
        return *this;
    }

    // The reading rules.
    // A switch reply: 10 ms, one single byte, the header search, the 10-byte block; USB reads
    // the block twice at most and, with the search, one more single byte.
    Budget& SwitchReply(bool search) {
        return Usb() ? Waits(64, search ? 3 : 2) : Pause(10).Waits(10);
    }
    // A value reply: 10 ms and single bytes; USB reads the block twice at most.
    Budget& ValueReply() { return Usb() ? Waits(64, 2) : Pause(10).Waits(1); }
    // Three attempts, each 200 ms and a 64-byte read.
    Budget& PowerSaveReply() {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Pause(200).Waits(64);
        }
        return *this;
    }
    // The mode reply of the KRT-310 family: 1000 ms and three bytes.
    Budget& FixedModeReply() { return Pause(1000).Waits(3); }
    // The KRT-620's: 10 ms, a single byte, the header search and two bytes; USB reads twice.
    Budget& SearchedModeReply() { return Usb() ? Waits(15, 2) : Pause(10).Waits(2); }
    // A text reply: a pause and single bytes; USB pauses and reads the block twice at most.
    Budget& TextReply(std::uint64_t pauseMs, std::uint64_t usbPauseMs = 0) {
        return Usb() ? Pause(usbPauseMs).Waits(64, 2) : Pause(pauseMs).Waits(1);
    }
    // The version id: 200 ms, then a single byte and up to four more 10 ms apart; USB twice.
    Budget& VersionIdReply() {
        return Usb() ? Pause(200).Waits(20, 2) : Pause(200 + 4 * 10).Waits(1);
    }
    Budget& EmulationReply() { return Pause(200).Waits(1); }
    // Single bytes dropped until one does not come; on USB one block, or two.
    Budget& Drain(int usbReads) { return Usb() ? Waits(128, usbReads) : Waits(1); }

private:
    Link link_;
    Micros total_ = 0;
};

// What a slow printer adds: its delay before each reply and the time its bytes take.
inline Micros SlowAllowance(std::size_t commands, std::size_t replyBytes,
                            std::chrono::microseconds latency, std::chrono::microseconds perByte) {
    return static_cast<Micros>(latency.count()) * commands +
           static_cast<Micros>(perByte.count()) * replyBytes;
}

}  // namespace corvane::faults
