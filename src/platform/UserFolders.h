#pragma once

#include <string>

namespace corvane::platform {

// The folder where the program keeps what it records for this user between runs (its history;
// on Windows also the record of what it holds):
// "$XDG_STATE_HOME/corvane", or "~/.local/state/corvane" when that is unset or not absolute, on
// POSIX systems; "Corvane" in the user's local application data folder on Windows. It is not
// created here. False with why when the system names no such folder for the user.
bool UserStateFolder(std::string& folder, std::string& error);

}  // namespace corvane::platform
