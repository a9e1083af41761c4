#pragma once

#include <ostream>

#include "cli/Commands.h"
#include "cli/SetOperation.h"
#include "cli/TerminalReporter.h"
#include "startup/CliOptions.h"

namespace corvane::cli {

// Set on every port at once: each printer on a thread of its own with its own platform, port and
// connector, a line of progress as each one ends, and a table at the end. The exit status is
// success only when every printer succeeded, otherwise that of the first printer that failed,
// in the order the ports were given.
CommandResult RunDeploy(const startup::CliOptions& options, const SetRequest& request,
                        TerminalReporter& reporter, std::ostream& progress);

// "ok", "printer error", "usage error", "mismatch" or "port unavailable".
const char* ResultName(int exitStatus);

}  // namespace corvane::cli
