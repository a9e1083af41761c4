#pragma once

// What this process could not give back: a print queue it could not start again, a printer it
// could not move back to its port, a USB printer it could not give back to its kernel driver.
// Each is told on standard error and in the trace when it happens, and kept until it is given
// back after all, so that a program can end with a status that says something was left as it
// was. Safe from any thread, also while the program ends.

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace corvane::platform {

class LeftHeld {
public:
    // Tells line and keeps it under key (a later line for the same key replaces it).
    static void Add(Platform* platform, const std::string& key, const std::string& line);
    // The thing under key was given back after all.
    static void Clear(const std::string& key);
    // What is left as it was now, one line each.
    static std::vector<std::string> Lines();
};

// Tells a line about what the program holds of the machine, or gave back, on standard error and
// in the platform's trace (when it keeps one).
void TellHoldings(Platform* platform, const std::string& line);
// Tells the line only the first time this process tells one under key.
void TellHoldingsOnce(Platform* platform, const std::string& key, const std::string& line);

}  // namespace corvane::platform
