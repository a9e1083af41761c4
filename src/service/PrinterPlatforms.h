#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "sim/Model.h"
#include "sim/VirtualPrinter.h"
#include "startup/ProgramPlatform.h"

namespace corvane::service {

// What the printers run on: the machine's ports, or a simulated printer behind every port.
struct PlatformRequest {
    std::optional<sim::Model> simulate;
    // The simulated printer's emulation.
    sim::Emulation emulation = sim::Emulation::Native;
    std::string traceFile;  // empty: no trace
    // Runs for each simulated printer as it is made, with the device it sits behind, to give it
    // faults, another identity or a fixed serial line.
    std::function<void(const std::string& device, sim::VirtualPrinter& printer)> simulatedSetUp;
};

class SharedTraceFile;

// The platform that one printer's session runs on, with what it owns.
class PrinterPlatform {
public:
    ~PrinterPlatform();
    platform::Platform& Get() { return *top_; }

private:
    friend class PrinterPlatforms;
    PrinterPlatform() = default;

    // Declared in the order of making, so that each part goes before what it uses.
    std::unique_ptr<startup::ProgramPlatform> simulated_;
    std::unique_ptr<std::ostream> traceStream_;
    std::unique_ptr<platform::Platform> traced_;
    platform::Platform* top_ = nullptr;
};

// Makes a platform for every printer the command works on. On the machine's ports they share one
// platform, whose operations may run on several threads at once; simulated printers are not
// thread-safe, so each printer gets a simulated platform and printer of its own. With a trace
// file, every printer's exchanges go into the one file, each line whole.
class PrinterPlatforms {
public:
    // Null with a message for the user when the trace file cannot be written.
    static std::unique_ptr<PrinterPlatforms> Make(const PlatformRequest& request,
                                                  std::string& error);
    ~PrinterPlatforms();

    std::unique_ptr<PrinterPlatform> Next();
    bool Simulated() const { return !machine_; }

private:
    PrinterPlatforms() = default;

    startup::CommandLineOptions programOptions_;
    std::function<void(const std::string&, sim::VirtualPrinter&)> simulatedSetUp_;
    std::unique_ptr<startup::ProgramPlatform> machine_;
    std::shared_ptr<SharedTraceFile> trace_;
};

}  // namespace corvane::service
