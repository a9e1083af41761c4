#pragma once

#include <cstddef>
#include <fstream>
#include <ostream>
#include <string>

#include "sim/VirtualPrinter.h"

namespace corvane::programs {

// Where a served printer reports what it does.
struct ReportOutput {
    std::string stateFile;  // replaced with the printer's state on every change
    std::string printLog;   // every printed line is appended here
    bool echoPrintout = true;
    bool echoCommands = false;
};

// What a simulated printer served in real time tells whoever watches it after each exchange:
// the lines it printed go to the print log, its state to the state file, and the commands and
// printed lines to the server's output. The pseudo-terminal and COM-port servers share it.
class ServerReport {
public:
    ServerReport(const sim::VirtualPrinter& printer, ReportOutput output);

    // Opens the print log and writes the first state file; false with a message.
    bool Open(std::string& error);
    // Reports what the printer did since the last report.
    void Report(std::ostream& out);

private:
    void WriteStateFile();

    const sim::VirtualPrinter& printer_;
    ReportOutput output_;
    std::ofstream printLog_;
    std::string lastState_;
    std::size_t printedLines_ = 0;
    std::size_t loggedCommands_ = 0;
};

}  // namespace corvane::programs
