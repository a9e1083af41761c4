#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

#include "cli/TerminalReporter.h"
#include "startup/CliOptions.h"

namespace corvane::cli {

// What a command came to: its exit status, its result for --json, and the text that goes to
// standard output otherwise.
struct CommandResult {
    int exitStatus = 0;
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    std::string text;
};

// Runs the command the options name. Messages go to the reporter as they come; deploy writes a
// line of progress per printer to progress.
CommandResult RunCommand(const startup::CliOptions& options, TerminalReporter& reporter,
                         std::ostream& progress);

// The subcommand's name as the command line spells it ("get", "alignment store").
std::string CommandName(startup::CliCommand command);

}  // namespace corvane::cli
