#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <ostream>
#include <string>

#include "platform/Platform.h"
#include "programs/corvane-sim/ServerReport.h"
#include "sim/PrinterState.h"
#include "sim/VirtualPrinter.h"

namespace corvane::programs {

// Serves a VirtualPrinter on a COM port in real time: the far end of a null-modem cable, or of a
// pair of virtual ports, reaches it as it would a printer. The port follows the serial settings
// the printer holds, as the printer's own interface would (a printer fixed at a line keeps it),
// and holds DTR on, which the program sees as the printer's DSR.
class ComPortServer {
public:
    ComPortServer(platform::Platform& platform, sim::VirtualPrinter& printer, ReportOutput output);

    // Opens the port ("COM6", "\\.\COM12") and writes the first state file; false with a message.
    bool Open(const std::string& portName, std::string& error);
    // Serves until stop is set or the unplug faults pull the cable; returns the exit status.
    int Serve(const std::atomic<bool>& stop, std::ostream& out);

private:
    bool ApplyLine(const sim::SerialSettings& serial);
    void Send(std::vector<sim::VirtualPrinter::Reply> replies);
    std::chrono::microseconds Elapsed() const;

    platform::Platform& platform_;
    sim::VirtualPrinter& printer_;
    ServerReport report_;
    std::unique_ptr<platform::SerialDevice> port_;
    sim::SerialSettings line_;
    std::chrono::milliseconds start_{0};
};

}  // namespace corvane::programs
