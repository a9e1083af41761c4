#include "startup/ProgramPlatform.h"

#include "platform/MachinePlatform.h"
#include "platform/TracingPlatform.h"
#include "platform/sim/SimPlatform.h"
#include "sim/SimulatedPrinters.h"

namespace corvane::startup {

ProgramPlatform::ProgramPlatform() = default;
ProgramPlatform::~ProgramPlatform() = default;

std::unique_ptr<ProgramPlatform> ProgramPlatform::Make(const CommandLineOptions& options,
                                                       std::string& error) {
    std::unique_ptr<ProgramPlatform> made(new ProgramPlatform());
    if (options.simulate) {
        made->simulated_ = std::make_unique<platform::sim::SimPlatform>();
        made->printers_ = std::make_unique<sim::SimulatedPrinters>(
            *made->simulated_, *options.simulate, options.emulation);
        made->top_ = made->simulated_.get();
    } else {
        made->machine_ = platform::MakeMachinePlatform();
        made->top_ = made->machine_.get();
        // Only the machine's ports are pointed elsewhere; a simulated printer is behind every
        // port name already.
        made->ports_ = link::PortMap(options.portOverrides);
    }
    if (!options.traceFile.empty()) {
        made->traced_ = platform::MakeTracingPlatform(*made->top_, options.traceFile, error);
        if (!made->traced_) {
            return nullptr;
        }
        made->top_ = made->traced_.get();
    }
    return made;
}

}  // namespace corvane::startup
