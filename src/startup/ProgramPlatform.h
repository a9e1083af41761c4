#pragma once

#include <memory>
#include <string>

#include "link/PortMap.h"
#include "platform/Platform.h"
#include "startup/CommandLine.h"

namespace corvane::platform::sim {
class SimPlatform;
}
namespace corvane::sim {
class SimulatedPrinters;
}

namespace corvane::startup {

// The platform that corvane runs on, made from its command line: the machine's ports, with the
// --port overrides in the port map that goes with it, or with --simulate a simulated printer
// behind every port name; with --trace everything done through it is recorded in a file. It owns
// all it made.
class ProgramPlatform {
public:
    // Null with a message for the user when the trace file cannot be written.
    static std::unique_ptr<ProgramPlatform> Make(const CommandLineOptions& options,
                                                 std::string& error);
    ~ProgramPlatform();

    ProgramPlatform(const ProgramPlatform&) = delete;
    ProgramPlatform& operator=(const ProgramPlatform&) = delete;

    platform::Platform& Get() { return *top_; }
    // Which device each port name opens, for the printer port.
    const link::PortMap& Ports() const { return ports_; }
    // The simulated printers, or null on the machine's ports.
    sim::SimulatedPrinters* Printers() { return printers_.get(); }

private:
    ProgramPlatform();

    // Declared in the order of making, so that each part goes before what it uses.
    std::unique_ptr<platform::Platform> machine_;
    std::unique_ptr<platform::sim::SimPlatform> simulated_;
    std::unique_ptr<sim::SimulatedPrinters> printers_;
    std::unique_ptr<platform::Platform> traced_;
    platform::Platform* top_ = nullptr;
    link::PortMap ports_;
};

}  // namespace corvane::startup
