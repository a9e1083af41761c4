#pragma once

// The command line of corvane.

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/Model.h"

namespace corvane::startup {

// What the corvane command line asked for.
struct CommandLineOptions {
    // Port name in the connection window's spelling ("COM3", "\\.\COM12", "LPT1:") to device.
    std::map<std::string, std::string> portOverrides;
    std::string traceFile;  // empty: no trace
    std::optional<sim::Model> simulate;
    sim::Emulation emulation = sim::Emulation::Native;
    bool help = false;
    // Qt's own options ("-platform offscreen"), in their order, for the application object.
    std::vector<std::string> windowSystemArguments;
};

struct CommandLineResult {
    bool ok = false;
    CommandLineOptions options;
    std::string error;  // one line for the user when not ok
};

// Understands --port NAME=DEVICE (repeatable), --trace FILE, --simulate MODEL,
// --emulation EMULATION and --help, each value either as the next argument or after "=", and
// sets Qt's own options aside. The arguments exclude the program name.
CommandLineResult ParseCommandLine(std::span<const std::string> arguments);
// The same for main's arguments; argv[0] is the program name and is skipped.
CommandLineResult ParseCommandLine(int argc, const char* const* argv);

// The --help text.
std::string CommandLineUsage();

}  // namespace corvane::startup
