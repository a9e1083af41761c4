#pragma once

// Serves a VirtualPrinter on a TCP port in real time, as a printer's network interface board
// does: it passes the bytes of one connection to the printer and the printer's replies back.
//
// One host at a time: while one is connected, others wait in the listening queue until it
// closes. When a host closes its connection, the replies still on their way are dropped. The
// unplug faults close the connection and the listening port, as a printer switched off does.

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "programs/corvane-sim/ReplyQueue.h"
#include "programs/corvane-sim/ServerReport.h"
#include "sim/VirtualPrinter.h"

namespace corvane::programs {

class TcpServer {
public:
    TcpServer(sim::VirtualPrinter& printer, ReportOutput output);
    ~TcpServer();
    TcpServer(const TcpServer&) = delete;
    TcpServer& operator=(const TcpServer&) = delete;

    // Listens on port of every IPv4 address of the machine (0: a free port the system picks) and
    // writes the first state file; false with a message.
    bool Open(std::uint16_t port, std::string& error);
    // The address a program on this machine reaches the printer at: "tcp:127.0.0.1:PORT".
    std::string Address() const;
    // Serves until a signal other than SIGUSR1 arrives on the signal descriptor; SIGUSR1 writes
    // the printer's state to out. Returns the exit status.
    int Serve(int signalFd, std::ostream& out);

private:
    using Clock = std::chrono::steady_clock;

    std::chrono::microseconds Elapsed() const;
    void Accept();
    void TakeInput(std::ostream& out);
    void SendDue();
    void CloseClient();
    void Hangup(std::ostream& out);

    sim::VirtualPrinter& printer_;
    ServerReport report_;
    int listener_ = -1;
    int client_ = -1;
    std::uint16_t port_ = 0;
    bool unplugged_ = false;
    Clock::time_point start_;
    ReplyQueue replies_;
    std::vector<std::uint8_t> outgoing_;
};

}  // namespace corvane::programs
