// corvane-cli: every printer operation of the window from a shell, for scripts and machines
// without a display. It reads the command line, runs one subcommand and prints its result.
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/QueueWatch.h"
#include "service/ExitStatus.h"
#include "startup/CliOptions.h"
#include "startup/GiveBackAtStart.h"

int main(int argc, char** argv) {
    using namespace corvane;

    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    auto parsed = startup::ParseCliOptions(arguments);
    if (!parsed.ok) {
        std::cerr << "corvane-cli: " << parsed.error << "\n"
                  << "Run corvane-cli --help for the commands and their options.\n";
        return service::kUsageError;
    }
    startup::CliOptions options = parsed.options;
    if (options.help) {
        std::cout << parsed.usage;
        return service::kSuccess;
    }
    if (options.version) {
        std::cout << "corvane-cli " << CORVANE_VERSION << "\n";
        return service::kSuccess;
    }
    if (options.command == startup::CliCommand::None) {
        std::cerr << parsed.usage;
        return service::kUsageError;
    }
    // A simulated printer's emulation and model are known without asking it.
    if (!options.model && options.simulate && options.emulation != sim::Emulation::Native) {
        options.model = startup::ProductModel(*options.simulate);
    }
    if (!cli::QueueWatch::Instance().Start()) {
        std::cerr << "corvane-cli: cannot watch for termination signals; print queues stopped "
                     "would not be started again if the program were ended by one\n";
    }
    startup::GiveBackAtStart(nullptr);

    return cli::RunCommand(options, std::cout, std::cerr);
}
