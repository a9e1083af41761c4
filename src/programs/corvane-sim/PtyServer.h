#pragma once

// Serves a VirtualPrinter on a pseudo-terminal in real time, so that the program reaches it
// through the real serial backend.
//
// The server keeps a descriptor of the terminal's own side open, so that the terminal lives
// on while the program opens and closes it. When the program's last descriptor closes, the
// server does what closing a real serial port does: the unread input is dropped and exclusive
// use ends, so that the next open succeeds.

#include <chrono>
#include <cstdint>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

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
    struct Scheduled {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };

    std::chrono::microseconds Elapsed() const;
    void TakeInput(std::ostream& out);
    void Schedule(std::vector<sim::VirtualPrinter::Reply> replies);
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
    Clock::time_point lineFreeAt_;
    std::deque<Scheduled> scheduled_;
    std::vector<std::uint8_t> outgoing_;
};

}  // namespace corvane::programs
