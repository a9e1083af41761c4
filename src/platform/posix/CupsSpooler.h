#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "platform/Spooler.h"

namespace corvane::platform::posix {

// The CUPS scheduler as the local print spooler, spoken to over IPP with libcups.
//
// Every request opens its own connection and ends within the time limit, so a missing, hung or
// remote server costs at most that long and then reads as a spooler without queues. The user is
// never asked for a password: a request that needs one fails.
class CupsSpooler final : public Spooler {
public:
    // server is a host name or the path of the scheduler's socket; empty means the one libcups
    // picks for this user (CUPS_SERVER, client.conf, the local socket).
    explicit CupsSpooler(std::string server = {},
                         std::chrono::milliseconds timeLimit = std::chrono::milliseconds(2000));

    std::vector<QueueInfo> ListQueues() override;
    Error StopQueue(const std::string& name, const std::string& reason) override;
    Error StartQueue(const std::string& name) override;

private:
    Error PrinterRequest(int operation, const std::string& name, const std::string& reason);

    std::string server_;
    std::chrono::milliseconds timeLimit_;
};

}  // namespace corvane::platform::posix
