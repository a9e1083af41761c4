#include "platform/sim/SerialWire.h"

#include <algorithm>

namespace corvane::platform::sim {

namespace {

struct Level {
    double from;  // in microseconds since the burst began
    bool high;
};

bool ParityBit(std::uint32_t data, std::uint32_t dataBits, std::uint32_t parity) {
    int ones = 0;
    for (std::uint32_t bit = 0; bit < dataBits; ++bit) {
        ones += static_cast<int>((data >> bit) & 1U);
    }
    // Even parity makes the count of ones even, odd parity odd.
    bool odd = (ones % 2) != 0;
    return parity == kParityEven ? odd : !odd;
}

double StopBitLength(std::uint32_t stopBits) {
    switch (stopBits) {
        case kStopBitsOneAndHalf:
            return 1.5;
        case kStopBitsTwo:
            return 2.0;
        default:
            return 1.0;
    }
}

// The line's level over time as the sender drives it; high before the first and after the last.
std::vector<Level> Drive(std::span<const std::uint8_t> bytes, const SerialConfig& sender) {
    const double bit = 1e6 / sender.baudRate;
    std::vector<Level> levels;
    double at = 0;
    auto put = [&](bool high, double length) {
        levels.push_back({at, high});
        at += length * bit;
    };
    for (std::uint8_t byte : bytes) {
        put(false, 1);
        for (std::uint32_t i = 0; i < sender.dataBits; ++i) {
            put(((byte >> i) & 1U) != 0, 1);
        }
        if (sender.parity != kParityNone) {
            put(ParityBit(byte, sender.dataBits, sender.parity), 1);
        }
        put(true, StopBitLength(sender.stopBits));
    }
    levels.push_back({at, true});
    return levels;
}

bool HighAt(const std::vector<Level>& levels, double at) {
    auto after =
        std::upper_bound(levels.begin(), levels.end(), at,
                         [](double time, const Level& level) { return time < level.from; });
    return after == levels.begin() ? true : std::prev(after)->high;
}

// The first moment from at on where the line is low, or a negative time when it never is again.
double NextLow(const std::vector<Level>& levels, double at) {
    if (!HighAt(levels, at)) {
        return at;
    }
    for (const auto& level : levels) {
        if (level.from > at && !level.high) {
            return level.from;
        }
    }
    return -1;
}

}  // namespace

bool SameFraming(const SerialConfig& sender, const SerialConfig& receiver) {
    return sender.baudRate == receiver.baudRate && sender.dataBits == receiver.dataBits &&
           sender.parity == receiver.parity;
}

std::vector<std::uint8_t> Reframe(std::span<const std::uint8_t> bytes, const SerialConfig& sender,
                                  const SerialConfig& receiver) {
    if (SameFraming(sender, receiver)) {
        return {bytes.begin(), bytes.end()};
    }
    if (sender.baudRate == 0 || receiver.baudRate == 0) {
        return {};
    }
    const std::vector<Level> levels = Drive(bytes, sender);
    const double bit = 1e6 / receiver.baudRate;
    std::vector<std::uint8_t> received;
    for (double at = 0;;) {
        double start = NextLow(levels, at);
        if (start < 0) {
            break;
        }
        auto sample = [&](std::uint32_t index) {
            return HighAt(levels, start + (index + 0.5) * bit);
        };
        std::uint32_t data = 0;
        for (std::uint32_t i = 0; i < receiver.dataBits; ++i) {
            data |= static_cast<std::uint32_t>(sample(1 + i)) << i;
        }
        std::uint32_t next = 1 + receiver.dataBits;
        bool parityOk = true;
        if (receiver.parity != kParityNone) {
            parityOk = sample(next) == ParityBit(data, receiver.dataBits, receiver.parity);
            ++next;
        }
        bool stopHigh = sample(next);
        if (stopHigh && parityOk) {
            received.push_back(static_cast<std::uint8_t>(data));
        }
        // The receiver looks for the next start bit from the middle of the stop bit on.
        at = start + (next + 0.5) * bit;
    }
    return received;
}

}  // namespace corvane::platform::sim
