#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace corvane::platform::posix {

// A printer that --simulate puts behind every port name.
enum class SimulatedModel { Krt310, Krt310II, Krt620 };

// The emulation the simulated printer runs: native, or "Other" answering 02 or 03.
enum class SimulatedEmulation { Native, Other02, Other03 };

// "KRT-310", "KRT-310II", "KRT-620".
const char* ToString(SimulatedModel model);
// "native", "other02", "other03".
const char* ToString(SimulatedEmulation emulation);

// What the corvane command line asked for.
struct CommandLineOptions {
    // Port name in the connection window's spelling ("COM3", "\\.\COM12", "LPT1:") to device.
    std::map<std::string, std::string> portOverrides;
    std::string traceFile;  // empty: no trace
    std::optional<SimulatedModel> simulate;
    SimulatedEmulation emulation = SimulatedEmulation::Native;
    bool help = false;
};

struct CommandLineResult {
    bool ok = false;
    CommandLineOptions options;
    std::string error;  // one line for the user when not ok
};

// Understands --port NAME=DEVICE (repeatable), --trace FILE, --simulate MODEL,
// --emulation native|other02|other03 and --help, each value either as the next argument or
// after "=". The arguments exclude the program name.
CommandLineResult ParseCommandLine(std::span<const std::string> arguments);
// The same for main's arguments; argv[0] is the program name and is skipped.
CommandLineResult ParseCommandLine(int argc, const char* const* argv);

// The --help text.
std::string CommandLineUsage(std::string_view programName);

}  // namespace corvane::platform::posix
