#pragma once

#include <poll.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <vector>

#include "sim/VirtualPrinter.h"

namespace corvane::programs {

// One wait of a server on Linux: poll() on fds, whose first entry is the signal descriptor, for at
// most timeoutMs. SIGUSR1 writes the printer's state to out; any other signal ends the server
// with 0, a failed poll() with 1. Nothing (go on) otherwise, also after an interrupted wait.
std::optional<int> PollOrEnd(std::vector<pollfd>& fds, int timeoutMs,
                             const sim::VirtualPrinter& printer, std::ostream& out);

// When the unplug fault pulls the cable of a printer served since start, if it does.
std::optional<std::chrono::steady_clock::time_point> UnplugMoment(
    const sim::VirtualPrinter& printer, std::chrono::steady_clock::time_point start);

}  // namespace corvane::programs
