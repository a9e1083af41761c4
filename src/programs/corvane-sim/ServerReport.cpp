#include "programs/corvane-sim/ServerReport.h"

#include <utility>

#include "platform/CarefulFile.h"

namespace corvane::programs {

ServerReport::ServerReport(const sim::VirtualPrinter& printer, ReportOutput output)
    : printer_(printer), output_(std::move(output)) {}

bool ServerReport::Open(std::string& error) {
    if (!output_.printLog.empty()) {
        printLog_.open(output_.printLog, std::ios::app);
        if (!printLog_) {
            error = "Cannot write the print log " + output_.printLog;
            return false;
        }
    }
    if (!output_.stateFile.empty()) {
        lastState_.clear();
        WriteStateFile();
        if (lastState_.empty()) {
            error = "Cannot write the state file " + output_.stateFile;
            return false;
        }
    }
    return true;
}

void ServerReport::Report(std::ostream& out) {
    // Files first, so that whoever reacts to a line on the output finds them up to date.
    const auto& printout = printer_.Printout();
    if (printLog_) {
        for (std::size_t i = printedLines_; i < printout.size(); ++i) {
            printLog_ << printout[i] << "\n";
        }
        printLog_.flush();
    }
    WriteStateFile();
    const auto& commands = printer_.Commands();
    for (; loggedCommands_ < commands.size(); ++loggedCommands_) {
        if (output_.echoCommands) {
            out << "command: " << commands[loggedCommands_] << "\n";
        }
    }
    for (; printedLines_ < printout.size(); ++printedLines_) {
        if (output_.echoPrintout) {
            out << "print: " << printout[printedLines_] << "\n";
        }
    }
    out.flush();
}

void ServerReport::WriteStateFile() {
    if (output_.stateFile.empty()) {
        return;
    }
    std::string state = printer_.Describe();
    if (state == lastState_) {
        return;
    }
    // Whole or not at all, so that a reader never sees half a file; a test reads it, nobody
    // keeps it, so it is not waited onto the disk.
    std::string error;
    if (platform::WriteFileWhole(output_.stateFile, state, error, platform::FileSync::Skip)) {
        lastState_ = state;
    }
}

}  // namespace corvane::programs
