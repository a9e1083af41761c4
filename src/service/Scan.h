#pragma once

// Finding printers whose port or serial line nobody knows.
//
// Every port is opened as every other command opens it, with the print queues on it stopped
// until it is done, and asked one question that a printer answers with a single byte: the
// version-id request, or for printers in the "Other" emulation, which would print anything
// else, the emulation query. A serial port is asked at every line setting the printers offer,
// each time with a deadline of a few byte times; a printer that answers is asked for its maker,
// model and firmware texts (not in the "Other" emulation). Nothing else is sent. Ports are
// tried on threads of their own, at most kScanThreads at once.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/PrinterPort.h"
#include "protocol/PrinterModel.h"
#include "service/DeviceAccess.h"
#include "service/PortTarget.h"
#include "service/PrinterPlatforms.h"

namespace corvane::service {

// At most this many ports are tried at once: more than the window has serial ports.
inline constexpr int kScanThreads = 16;

// How long a printer may take to start its answer to a question, on top of the bytes' own time:
// its firmware's turn-around and the latency a USB serial adapter adds.
inline constexpr std::uint32_t kProbeAnswerMs = 50;

struct ScanRequest {
    // The ports as the user names them (see ParsePortTarget). Empty: every serial and parallel
    // port of the window that is there and that this user may open, and the USB printer.
    std::vector<std::string> ports;
    PlatformRequest platform;
    // Native: ask for the version id; Other: ask the emulation query.
    protocol::Emulation emulation = protocol::Emulation::Native;
    DeviceRoots roots;
};

// A printer that answered.
struct FoundPrinter {
    // The line it answered on (serial ports only; stop bits as the port opened them).
    std::optional<link::LineSettings> line;
    // The other lines it answered alike on. The emulation query's bytes pass some mismatches of
    // data bits and parity whole, so in the "Other" emulation every line is asked, and these are
    // the ones the question cannot tell from line; the version-id request tells every line apart.
    std::vector<link::LineSettings> alsoAnswersAt;
    protocol::Emulation emulation = protocol::Emulation::Native;
    // The "Other" emulation's answer: 1 for 02, 2 for 03.
    int emulationAnswer = 0;
    // The family its version id names; none in the "Other" emulation.
    std::optional<protocol::PrinterModel> family;
    std::string maker;
    std::string model;
    std::string firmware;
};

// How one port went.
struct ScanPort {
    PortTarget target;
    std::string device;  // what was opened, where known
    std::string kind;    // "serial", "network", "parallel" or "usb"
    std::optional<FoundPrinter> printer;
    // Why no printer was found: it did not open (and why), or nothing answered.
    std::string problem;
    int questions = 0;  // how many times the printer was asked
    // From opening the port to closing it, on the clock of the port's platform.
    std::chrono::milliseconds elapsed{0};
};

struct ScanOutcome {
    // Success when a printer was found, a printer error when none answered, a usage error when
    // the request was refused.
    int exitStatus = 0;
    std::string refusal;
    std::vector<ScanPort> ports;  // in the order given, else in the window's order
};

// How far a scan has come, for a display of it.
struct ScanCounts {
    int done = 0;    // ports ended with a printer found
    int failed = 0;  // ports ended without one: not opened, or nothing answered
    int left = 0;    // ports not ended yet
};

// Told once before the first port is tried (port null), then of each port as it ends, one at a
// time, with the counts after it. What it throws is dropped.
using ScanProgress = std::function<void(const ScanPort* port, const ScanCounts& counts)>;

ScanOutcome Scan(const ScanRequest& request, const ScanProgress& progress = {});

// The line settings tried on a serial port, in their order: the window's own first, then every
// speed, data bits and parity the printers offer, the common ones before the others.
std::vector<link::LineSettings> ScanLines();

// The deadlines of one question at a speed: the printer's turn-around (kProbeAnswerMs) and a few
// byte times for the question and its answer.
platform::SerialTimeouts ProbeTimeouts(std::uint32_t baudRate);

}  // namespace corvane::service
