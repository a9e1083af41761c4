#pragma once

// A record of every exchange with the printer, one line per operation, for support and tests.
//
// Each line holds the time since the trace began, the device, the operation, the byte count,
// how the operation ended and, where bytes moved, the bytes in hex and as text:
//
//       2101 ms COM3 write 3 of 3 bytes, ok, 0 ms | 1B 40 0A | .@.
//       2101 ms COM3 read 0 of 1 bytes, timed out, 2001 ms
//       4102 ms - pause 0 bytes, ok, 500 ms
//       4102 ms - note completeDeviceName = (/dev/usb/lp0)

#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace corvane::platform {

enum class TraceOperation { Open, Close, Write, Read, Pause, Purge, Configure, Status, List, Note };

// "open", "close", "write", "read", "pause", "purge", "configure", "status", "list",
// "note".
const char* ToString(TraceOperation operation);

struct TraceEntry {
    std::chrono::milliseconds at{0};  // since the trace began
    std::string device;               // "-" for a pause, which belongs to no device
    TraceOperation operation = TraceOperation::Open;
    std::size_t count = 0;      // bytes moved (or items listed)
    std::size_t requested = 0;  // bytes asked for by a read or write
    Error error;
    std::chrono::milliseconds elapsed{0};  // how long the operation took (a pause's length)
    std::string detail;                    // settings applied, device path, status bits
    std::vector<std::uint8_t> bytes;       // written or read
};

// Writes trace lines to a stream, each flushed at once so a crash loses none.
class TraceSink {
public:
    // Writes to a stream that the caller keeps alive.
    explicit TraceSink(std::ostream& out);
    // Writes to a new file at path (truncated); null with errorMessage set when it cannot.
    static std::unique_ptr<TraceSink> OpenFile(const std::string& path, std::string& errorMessage);

    TraceSink(const TraceSink&) = delete;
    TraceSink& operator=(const TraceSink&) = delete;

    void Record(const TraceEntry& entry);

    // The line Record writes for an entry, without its line break.
    static std::string FormatLine(const TraceEntry& entry);
    // "1B 40 0A", as base::HexBytes writes bytes.
    static std::string Hex(std::span<const std::uint8_t> bytes);
    // Printable ASCII as it is, anything else as a dot: ".@.".
    static std::string Printable(std::span<const std::uint8_t> bytes);

private:
    explicit TraceSink(std::unique_ptr<std::ofstream> file);

    std::unique_ptr<std::ofstream> file_;
    std::ostream& out_;
};

}  // namespace corvane::platform
