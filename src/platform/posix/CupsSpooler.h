#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/Spooler.h"

namespace corvane::platform::posix {

// The CUPS scheduler as the local print spooler, spoken to over IPP with libcups.
//
// The requests of the whole program go one at a time, each over a connection of its own that
// closes when it ends, so that many printers' sessions never hold more than one connection to the
// server. Every request ends within the time limit, so a hung or remote server costs at most
// that long; a machine where the server's socket does not exist has no spooler and no queues. The
// user is never asked for a password: a request that needs one fails.
class CupsSpooler final : public Spooler {
public:
    // server is a host name or the path of the scheduler's socket; empty means the one libcups
    // picks for this user (CUPS_SERVER, client.conf, the local socket).
    explicit CupsSpooler(std::string server = {},
                         std::chrono::milliseconds timeLimit = std::chrono::milliseconds(2000));

    ~CupsSpooler() override;

    QueueListing ListQueues() override;
    Error StopQueue(const std::string& name, const std::string& reason) override;
    Error StartQueue(const std::string& name) override;
    // The server's socket path or host name.
    std::string Location() override { return location_; }

private:
    Error PrinterRequest(int operation, const std::string& name, const std::string& reason);

    std::string server_;
    std::chrono::milliseconds timeLimit_;
    std::string location_;
};

}  // namespace corvane::platform::posix
