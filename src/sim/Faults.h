#pragma once

// Misbehaviour that a test or a demonstration can give the simulated printer.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvane::sim {

struct Faults {
    // The printer takes every command but answers nothing.
    bool silent = false;
    // Every reply breaks off after this many bytes.
    std::optional<std::size_t> cutAfter;
    // The printer falls silent for good once it has sent this many reply bytes since it was made,
    // breaking off the reply under way: a printer that stops in the middle of an exchange.
    std::optional<std::size_t> silentAfterBytes;
    // These bytes go out before every reply that starts with the '7' header.
    std::vector<std::uint8_t> noiseBeforeHeader;
    // Time between the end of a request and the first byte of its reply.
    std::chrono::microseconds latency{0};
    // Each reply byte takes ten bit times at the line's speed (serial only).
    bool perByteFromLine = false;
    // Each reply byte takes this long; when set it overrides the line's speed.
    std::chrono::microseconds perByte{0};
    // From this moment on reads and writes fail, as if the cable were pulled; the moment is on
    // the clock of whoever serves the printer (virtual time in process, time since start in
    // corvane-sim).
    std::optional<std::chrono::microseconds> unplugAt;
    // Reads and writes fail once the printer has taken this many commands.
    std::optional<std::size_t> unplugAfterCommands;
    // Memory switches that keep their pins whatever is written, as a worn memory cell does.
    std::vector<int> stuckSwitches;

    // How long one reply byte takes on a line of the given speed (0 when no speed is known).
    std::chrono::microseconds ByteTime(std::uint32_t baudRate) const {
        if (perByte.count() > 0) {
            return perByte;
        }
        if (perByteFromLine && baudRate > 0) {
            // A start bit, eight data bits and a stop bit.
            return std::chrono::microseconds((10'000'000 + baudRate - 1) / baudRate);
        }
        return std::chrono::microseconds(0);
    }
};

}  // namespace corvane::sim
