// corvane: the program's entry point. It picks the platform (the machine's ports, or simulated
// printers), optionally traces all printer traffic, and runs the connection window.
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>

#include "app/ConnectionDialog.h"
#include "app/CorvaneApp.h"
#include "link/PrinterPort.h"
#include "platform/TracingPlatform.h"
#include "platform/posix/CommandLine.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/posix/TerminationSignals.h"
#include "platform/sim/SimPlatform.h"
#include "sim/SimulatedPrinters.h"
#include "ui/qt/QtShell.h"

namespace {

using namespace corvane;

sim::Model SimModel(platform::posix::SimulatedModel model) {
    switch (model) {
        case platform::posix::SimulatedModel::Krt310:
            return sim::Model::Krt310;
        case platform::posix::SimulatedModel::Krt310II:
            return sim::Model::Krt310II;
        case platform::posix::SimulatedModel::Krt620:
            return sim::Model::Krt620;
    }
    return sim::Model::Krt310;
}

sim::Emulation SimEmulation(platform::posix::SimulatedEmulation emulation) {
    switch (emulation) {
        case platform::posix::SimulatedEmulation::Native:
            return sim::Emulation::Native;
        case platform::posix::SimulatedEmulation::Other02:
            return sim::Emulation::Other02;
        case platform::posix::SimulatedEmulation::Other03:
            return sim::Emulation::Other03;
    }
    return sim::Emulation::Native;
}

}  // namespace

int main(int argc, char** argv) {
    // Help must work without a display, before the window system is reached.
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--help") {
            std::cout << platform::posix::CommandLineUsage("corvane");
            return 0;
        }
    }
    // Qt takes its own options (-platform, -style) out of argv first.
    QApplication application(argc, argv);
    QApplication::setApplicationName("Corvane Manager");

    auto parsed = platform::posix::ParseCommandLine(argc, argv);
    if (!parsed.ok) {
        std::cerr << "corvane: " << parsed.error << "\n"
                  << platform::posix::CommandLineUsage("corvane");
        return 2;
    }
    const auto& options = parsed.options;
    if (options.help) {
        std::cout << platform::posix::CommandLineUsage("corvane");
        return 0;
    }
    if (!platform::posix::TerminationSignals::Install()) {
        std::cerr << "corvane: cannot watch for termination signals; print queues moved aside "
                     "would not be restored if the program were killed\n";
    }

    std::unique_ptr<platform::Platform> machine;
    std::unique_ptr<platform::sim::SimPlatform> simulated;
    std::optional<sim::SimulatedPrinters> printers;
    platform::Platform* base = nullptr;
    if (options.simulate) {
        simulated = std::make_unique<platform::sim::SimPlatform>();
        printers.emplace(*simulated, SimModel(*options.simulate), SimEmulation(options.emulation));
        base = simulated.get();
    } else {
        platform::posix::PosixOptions posixOptions;
        posixOptions.portOverrides = options.portOverrides;
        machine = std::make_unique<platform::posix::PosixPlatform>(posixOptions);
        base = machine.get();
    }
    std::unique_ptr<platform::Platform> traced;
    if (!options.traceFile.empty()) {
        std::string error;
        traced = platform::MakeTracingPlatform(*base, options.traceFile, error);
        if (!traced) {
            std::cerr << "corvane: " << error << "\n";
            return 2;
        }
        base = traced.get();
    }

    link::PrinterPort port(*base);
    app::CorvaneApp corvane(port, [](ui::Dialog& dialog) { return ui::qt::RunMainDialog(dialog); });

    // A signal ends the program only after the print queues it stopped are running again.
    QSocketNotifier signalWatch(platform::posix::TerminationSignals::ReadFd(),
                                QSocketNotifier::Read);
    QObject::connect(&signalWatch, &QSocketNotifier::activated, [&]() {
        int signalNumber = platform::posix::TerminationSignals::TakeSignal();
        if (signalNumber == 0) {
            return;
        }
        if (app::ConnectionDialog* window = corvane.MainWindow()) {
            window->RestoreRedirectedPrinters();
        }
        port.Close();
        std::cout.flush();
        _exit(128 + signalNumber);
    });

    corvane.InitInstance();
    return 0;
}
