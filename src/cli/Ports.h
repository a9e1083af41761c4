#pragma once

#include "cli/Commands.h"
#include "startup/CliOptions.h"

namespace corvane::cli {

// Lists every port name with its device and kind, whether the device is there and this user can
// open it, and when not, why and what to do: a missing group membership, a device another
// program holds, the system console, a print queue on it; then the USB printers with their ids.
// Nothing is opened: a device is only looked at, so that no line of a terminal or console moves.
CommandResult RunPorts(const startup::CliOptions& options);

}  // namespace corvane::cli
