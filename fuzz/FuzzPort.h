#pragma once

// A printer port on the simulated platform whose printer answers with whatever the fuzzer gives
// it, so that the program's reply readers meet every byte sequence a broken, noisy or foreign
// printer could send, on each kind of link.
//
// The input is read as: one byte of choices (the link in its low two bits, the rest for the
// target), then replies as [delay in 100 ms steps][length][bytes]. All replies go on the line at
// the first write, each readable its delay after the one before; on USB each one is one
// transfer, on serial and parallel links they run together as a byte stream.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "link/PrinterPort.h"
#include "link/UsbAccess.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::fuzz {

using platform::sim::Micros;
using platform::sim::Ms;

// Reads the fuzzer's bytes front to back; past the end every byte reads as 0.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data, size) {}

    std::uint8_t Byte() { return at_ < data_.size() ? data_[at_++] : 0; }
    std::span<const std::uint8_t> Bytes(std::size_t count) {
        count = std::min(count, data_.size() - at_);
        auto bytes = data_.subspan(at_, count);
        at_ += count;
        return bytes;
    }
    std::span<const std::uint8_t> Rest() { return Bytes(data_.size() - at_); }
    bool Empty() const { return at_ >= data_.size(); }

private:
    std::span<const std::uint8_t> data_;
    std::size_t at_ = 0;
};

enum class FuzzLink { Serial, Parallel, Usb };

inline FuzzLink LinkFrom(std::uint8_t choices) {
    switch (choices & 0x03) {
        case 0:
            return FuzzLink::Serial;
        case 1:
            return FuzzLink::Parallel;
        default:
            return FuzzLink::Usb;
    }
}

// Sends the scripted replies once the program has written its first request.
class ScriptPeer final : public platform::sim::SimPeer {
public:
    explicit ScriptPeer(FuzzInput& input) {
        while (!input.Empty()) {
            Reply reply;
            reply.delay = Ms(100) * input.Byte();
            std::size_t length = input.Byte();
            auto bytes = input.Bytes(length);
            reply.bytes.assign(bytes.begin(), bytes.end());
            replies_.push_back(std::move(reply));
        }
    }

    void OnHostWrite(platform::sim::SimLine& line, std::span<const std::uint8_t>) override {
        if (sent_) {
            return;
        }
        sent_ = true;
        Micros at = line.Now();
        for (const Reply& reply : replies_) {
            at += reply.delay;
            line.Deliver(reply.bytes, at);
        }
    }

private:
    struct Reply {
        Micros delay = 0;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Reply> replies_;
    bool sent_ = false;
};

class FuzzUsbAccess final : public link::UsbAccess {
public:
    explicit FuzzUsbAccess(platform::sim::SimPlatform& platform) : platform_(platform) {}
    bool CheckUsbPortConflict() override { return true; }
    std::unique_ptr<platform::Device> OpenUsbPrinter() override {
        platform::Error error;
        return platform_.OpenUsbPrinter(kPath, true, error);
    }
    static constexpr const char* kPath = "/dev/usb/lp0";

private:
    platform::sim::SimPlatform& platform_;
};

// The port, opened on the chosen link with the scripted printer behind it.
class FuzzPort {
public:
    FuzzPort(FuzzLink link, FuzzInput& input) : peer(input) {
        switch (link) {
            case FuzzLink::Serial:
                platform.AttachSerial("COM1", peer);
                port.SetPortName("COM1");
                port.SetLineSettings({.baudRate = 9600, .dataBits = 8});
                break;
            case FuzzLink::Parallel:
                platform.AttachParallel("LPT1:", peer);
                port.SetPortName("LPT1:");
                break;
            case FuzzLink::Usb:
                platform.AttachUsb(FuzzUsbAccess::kPath, 0x2c9a, 0x0002, peer);
                port.SetPortName("USB");
                break;
        }
        port.SetUsbAccess(&usb);
        if (!port.Open()) {
            std::abort();
        }
        platform.ClearEvents();
    }

    // Reads the program made since the port opened.
    std::size_t Reads() const {
        std::size_t reads = 0;
        for (const auto& event : platform.Events()) {
            reads += event.kind == platform::sim::EventKind::Read ? 1 : 0;
        }
        return reads;
    }

    platform::sim::SimPlatform platform;
    ScriptPeer peer;
    FuzzUsbAccess usb{platform};
    link::PrinterPort port{platform};
};

// Stops the run as a crash when a promise of the code under test is broken.
inline void Require(bool promise) {
    if (!promise) {
        std::abort();
    }
}

}  // namespace corvane::fuzz
