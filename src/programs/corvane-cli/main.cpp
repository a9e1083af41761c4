// corvane-cli: every printer operation of the window from a shell, for scripts and machines
// without a display. It reads the command line, runs one subcommand and prints its result.
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/QueueWatch.h"
#include "cli/TerminalReporter.h"
#include "startup/CliOptions.h"

int main(int argc, char** argv) {
    using namespace corvane;

    std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    auto parsed = startup::ParseCliOptions(arguments);
    if (!parsed.ok) {
        std::cerr << "corvane-cli: " << parsed.error << "\n"
                  << "Run corvane-cli --help for the commands and their options.\n";
        return cli::kUsageError;
    }
    startup::CliOptions options = parsed.options;
    if (options.help) {
        std::cout << parsed.usage;
        return cli::kSuccess;
    }
    if (options.version) {
        std::cout << "corvane-cli " << CORVANE_VERSION << "\n";
        return cli::kSuccess;
    }
    if (options.command == startup::CliCommand::None) {
        std::cerr << parsed.usage;
        return cli::kUsageError;
    }
    // A simulated printer's emulation and model are known without asking it.
    if (!options.model && options.simulate && options.emulation != sim::Emulation::Native) {
        options.model = startup::ProductModel(*options.simulate);
    }
    if (!cli::QueueWatch::Instance().Start()) {
        std::cerr << "corvane-cli: cannot watch for termination signals; print queues stopped "
                     "would not be started again if the program were ended by one\n";
    }

    cli::TerminalReporter reporter(options.json ? nullptr : &std::cerr, options.verbose);
    cli::CommandResult result =
        cli::RunCommand(options, reporter, options.json ? std::cerr : std::cout);
    if (!options.json) {
        std::cout << result.text << std::flush;
        return result.exitStatus;
    }
    nlohmann::ordered_json output;
    output["command"] = cli::CommandName(options.command);
    output["exitStatus"] = result.exitStatus;
    output.update(result.json);
    auto messages = nlohmann::ordered_json::array();
    for (const auto& message : reporter.Messages()) {
        messages.push_back({{"severity", cli::TerminalReporter::SeverityName(message.severity)},
                            {"text", cli::TerminalReporter::Format(message)}});
    }
    output["messages"] = messages;
    if (!reporter.Problems().empty()) {
        output["problems"] = reporter.Problems();
    }
    std::cout << output.dump(2) << std::endl;
    return result.exitStatus;
}
