#pragma once

#include <ostream>

#include "startup/CliOptions.h"

namespace corvane::cli {

// Runs the command the options name and prints what it came to: its text on out, or with --json
// one object there. Messages go to err as they come (with --json only into the object); deploy
// writes a line of progress per printer to out, or to err with --json. When err is a terminal,
// and neither --json nor --quiet was given, it also shows a progress line there. Returns the
// exit status.
int RunCommand(const startup::CliOptions& options, std::ostream& out, std::ostream& err,
               bool errIsTerminal = false);

}  // namespace corvane::cli
