#pragma once

// The command line of corvane-sim.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "sim/Faults.h"
#include "sim/Model.h"
#include "sim/VirtualPrinter.h"

namespace corvane::startup {

struct SimOptions {
    sim::Model model = sim::Model::Krt310;
    sim::Emulation emulation = sim::Emulation::Native;
    std::optional<std::uint8_t> versionId;
    std::optional<std::string> firmware;
    std::optional<std::string> maker;
    std::optional<std::string> modelText;
    std::optional<std::string> language;
    // Memory switch number and its pins (bit k-1 is pin k), in the order given.
    std::vector<std::pair<int, std::uint8_t>> switches;
    // The line the printer's serial port is fixed at; it answers no other.
    std::optional<platform::SerialConfig> line;
    // Serve on this TCP port (0: one the system picks) instead of a pseudo-terminal.
    std::optional<std::uint16_t> tcpPort;
    sim::Faults faults;
    std::string stateFile;  // rewritten with the printer's state on every change
    std::string printLog;   // every printed line is appended here
    std::string linkPath;   // a symbolic link to the pseudo-terminal
    bool quiet = false;     // print nothing but the path
    bool verbose = false;   // also show every command taken
    bool help = false;
};

// Reads the arguments after the program name; false with a message of one line for the user when
// one of them is wrong.
bool ParseSimOptions(std::span<const std::string> args, SimOptions& options, std::string& error);

// The --help text.
std::string SimUsage();

// Gives the printer the texts, ids, switches and faults the options ask for.
void ApplySimOptions(const SimOptions& options, sim::VirtualPrinter& printer);

}  // namespace corvane::startup
