#pragma once

// A program whose output goes into a pipe that its reader closed (corvane-cli get --json | head)
// must not be ended on the spot while it holds print queues: on Linux the write raises SIGPIPE,
// which ends the program unless it is ignored. Ignored, the write fails (EPIPE) like any other,
// the stream says so, and the program restores what it holds and ends with an error. Windows
// raises nothing; the write fails there already. The machine backends implement it.

namespace corvane::platform {

// Makes a write to a closed pipe fail instead of ending the program; false when it cannot. Call
// early in main, before other threads start.
bool TreatClosedPipesAsWriteErrors();

}  // namespace corvane::platform
