// corvane-sim on Windows: a simulated printer on a COM port, as Windows has no pseudo-terminals.

#include <atomic>
#include <iostream>
#include <string>
#include <vector>

#include "platform/ProgramEndWatch.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WinApi.h"
#include "programs/corvane-sim/ComPortServer.h"
#include "sim/VirtualPrinter.h"
#include "startup/SimOptions.h"

namespace {

constexpr char kComUsage[] =
    "On Windows the printer is served on a COM port:\n"
    "  --com PORT     serve on PORT (COM1 to COM14), such as the far end of a null-modem\n"
    "                 cable or of a pair of virtual COM ports; --link does not apply\n";

// Takes --com PORT (or --com=PORT) out of the arguments; the rest are the simulator's own.
bool TakeComPort(std::vector<std::string>& args, std::string& port, std::string& error) {
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == "--com") {
            if (it + 1 == args.end()) {
                error = "--com needs a port";
                return false;
            }
            port = *(it + 1);
            args.erase(it, it + 2);
            return true;
        }
        if (it->rfind("--com=", 0) == 0) {
            port = it->substr(6);
            args.erase(it);
            return true;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace corvane;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string portName;
    std::string error;
    startup::SimOptions options;
    if (!TakeComPort(args, portName, error) || !startup::ParseSimOptions(args, options, error)) {
        std::cerr << "corvane-sim: " << error << "\n" << startup::SimUsage() << kComUsage;
        return 2;
    }
    if (options.help) {
        std::cout << startup::SimUsage() << kComUsage;
        return 0;
    }
    if (options.tcpPort) {
        std::cerr << "corvane-sim: --tcp is served on Linux; on Windows give --com PORT\n";
        return 2;
    }
    if (portName.empty()) {
        std::cerr << "corvane-sim: give the COM port to serve with --com PORT\n" << kComUsage;
        return 2;
    }

    sim::VirtualPrinter printer(options.model, options.emulation);
    corvane::startup::ApplySimOptions(options, printer);

    // Ctrl+C, Ctrl+Break and closing the console end the server between two exchanges.
    std::atomic<bool> stopRequested{false};
    platform::EndSources endSources;
    endSources.terminationSignals = true;
    platform::ProgramEndWatch::Install(endSources);
    platform::ProgramEndWatch endWatch([&](const platform::EndRequest&) { stopRequested = true; });
    platform::win32::Win32Platform platform;
    programs::ReportOutput output;
    output.stateFile = options.stateFile;
    output.printLog = options.printLog;
    output.echoPrintout = !options.quiet;
    output.echoCommands = options.verbose && !options.quiet;
    programs::ComPortServer server(platform, printer, output);
    if (!server.Open(portName, error)) {
        std::cerr << "corvane-sim: " << error << "\n";
        return 1;
    }
    std::cout << portName << std::endl;
    if (!options.quiet) {
        std::cout << "serving a " << sim::ModelName(options.model) << " ("
                  << sim::EmulationName(options.emulation) << " emulation)" << std::endl;
    }
    return server.Serve(stopRequested, std::cout);
}
