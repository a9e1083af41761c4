#include "sim/PrinterLog.h"

namespace corvane::sim {

void PrinterLog::Ignore(const std::string& what, const std::string& why) {
    Log("ignored " + what + ": " + why);
}

void PrinterLog::LineFeed() {
    Print(pendingText_);
    pendingText_.clear();
}

void PrinterLog::FlushText() {
    if (!pendingText_.empty()) {
        Print(pendingText_);
        pendingText_.clear();
    }
}

void PrinterLog::Clear() {
    printout_.clear();
    commands_.clear();
}

}  // namespace corvane::sim
