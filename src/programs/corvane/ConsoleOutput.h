#pragma once

namespace corvane::programs {

// A windowed program has no console of its own; when started from one, its standard output and
// error go there, so that --help, command-line errors and the diagnostic lines are seen. Output
// that was redirected stays where it was sent. Returns whether standard error reaches anyone.
bool UseParentConsole();

}  // namespace corvane::programs
