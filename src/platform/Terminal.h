#pragma once

namespace corvane::platform {

// Whether standard error goes to a terminal (a console on Windows) that a person watches, rather
// than to a file or a pipe.
bool StandardErrorIsTerminal();

}  // namespace corvane::platform
