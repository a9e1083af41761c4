#pragma once

// Serves a VirtualPrinter on a pseudo-terminal in real time, so that the program reaches it
// through the real serial backend.
//
// The server keeps a descriptor of the terminal's own side open, so that the terminal lives
// on while the program opens and closes it. When the program's last descriptor closes, the
// server does what closing a real serial port does: the unread input is dropped and exclusive
// use ends, so that the next open succeeds.
//
// A printer whose serial port is fixed at a line answers only when the terminal runs at its
// speed: a pseudo-terminal keeps the speed the program set, but always 8 data bits without
// parity, so the speed is all that can differ. At another speed the printer takes what the
// program sent as its line would garble it, and the program gets what the printer sent garbled
// the same way.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "programs/corvane-sim/ReplyQueue.h"
#include "programs/corvane-sim/ServerReport.h"
#include "sim/VirtualPrinter.h"

namespace corvane::programs {

class PtyServer {
public:
    // linkPath, when given, is made a symbolic link to the terminal while the server runs.
    PtyServer(sim::VirtualPrinter& printer, ReportOutput output, std::string linkPath);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Makes the pseudo-terminal, the link and the first state file; false with a message.
    bool Open(std::string& error);
    // The path the program opens, such as /dev/pts/3.
    const std::string& SlavePath() const { return slavePath_; }
    // Serves until a signal other than SIGUSR1 arrives on the signal descriptor; SIGUSR1 writes
    // the printer's state to out. Returns the exit status.
    int Serve(int signalFd, std::ostream& out);

private:
    using Clock = std::chrono::steady_clock;

    std::chrono::microseconds Elapsed() const;
    void TakeInput(std::ostream& out);
    // The line of the program's side as the printer's port sees it, where the printer's port is
    // fixed and the speeds differ.
    std::optional<platform::SerialConfig> MismatchedHostLine() const;
    void SendDue();
    void WatchOpens();
    void Hangup(std::ostream& out);
    std::uint32_t LineSpeed() const;
    int PollTimeoutMs() const;

    sim::VirtualPrinter& printer_;
    ServerReport report_;
    std::string linkPath_;
    int master_ = -1;
    int keeper_ = -1;  // our descriptor of the terminal's side, never read
    int inotify_ = -1;
    std::string slavePath_;
    bool linked_ = false;
    bool unplugged_ = false;
    int clientOpens_ = 0;
    Clock::time_point start_;
    ReplyQueue replies_;
    std::vector<std::uint8_t> outgoing_;
};

}  // namespace corvane::programs
