// corvane-sim on Linux: a simulated printer on a pseudo-terminal, or on a TCP port.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "programs/corvane-sim/PtyServer.h"
#include "programs/corvane-sim/TcpServer.h"
#include "sim/VirtualPrinter.h"
#include "startup/SimOptions.h"

int main(int argc, char** argv) {
    using namespace corvane::sim;
    std::vector<std::string> args(argv + 1, argv + argc);
    corvane::startup::SimOptions options;
    std::string error;
    if (!corvane::startup::ParseSimOptions(args, options, error)) {
        std::cerr << "corvane-sim: " << error << "\n" << corvane::startup::SimUsage();
        return 2;
    }
    if (options.help) {
        std::cout << corvane::startup::SimUsage();
        return 0;
    }

    VirtualPrinter printer(options.model, options.emulation);
    corvane::startup::ApplySimOptions(options, printer);

    // Signals arrive through a descriptor, so that the server ends between two exchanges.
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) {
        sigaddset(&signals, signal);
    }
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        std::cerr << "corvane-sim: cannot block signals: " << std::strerror(errno) << "\n";
        return 1;
    }
    int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::cerr << "corvane-sim: cannot watch signals: " << std::strerror(errno) << "\n";
        return 1;
    }
    // A reader of our output that goes away must not end the printer.
    signal(SIGPIPE, SIG_IGN);

    corvane::programs::ReportOutput output;
    output.stateFile = options.stateFile;
    output.printLog = options.printLog;
    output.echoPrintout = !options.quiet;
    output.echoCommands = options.verbose && !options.quiet;
    int status = 0;
    auto serve = [&](auto& server, const std::string& where) {
        std::cout << where << std::endl;
        if (!options.quiet) {
            std::cout << "serving a " << ModelName(options.model) << " ("
                      << EmulationName(options.emulation) << " emulation)" << std::endl;
        }
        return server.Serve(signalFd, std::cout);
    };
    if (options.tcpPort) {
        corvane::programs::TcpServer server(printer, output);
        if (!server.Open(*options.tcpPort, error)) {
            std::cerr << "corvane-sim: " << error << "\n";
            close(signalFd);
            return 1;
        }
        status = serve(server, server.Address());
    } else {
        corvane::programs::PtyServer server(printer, output, options.linkPath);
        if (!server.Open(error)) {
            std::cerr << "corvane-sim: " << error << "\n";
            close(signalFd);
            return 1;
        }
        status = serve(server, server.SlavePath());
    }
    close(signalFd);
    return status;
}
