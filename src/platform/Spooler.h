#pragma once

// The local print spooler, as far as the printer link needs it: which queues exist, which device
// each one prints to, and stopping and starting a queue so that the spooler leaves the printer's
// port alone while this program talks to the printer.
//
// Every call is bounded in time. Without a spooler (no daemon running) ListQueues returns nothing
// at once, and the program goes on.

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace corvane::platform {

struct QueueInfo {
    std::string name;
    std::string deviceUri;  // where the queue prints, such as serial:/dev/ttyS1 or usb://...
    bool stopped = false;   // the queue holds its jobs instead of printing them
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // The local queues, in the spooler's order.
    virtual std::vector<QueueInfo> ListQueues() = 0;
    // Stops a queue; jobs sent to it wait. The reason is shown to whoever looks at the queue.
    virtual Error StopQueue(const std::string& name, const std::string& reason) = 0;
    // Starts a stopped queue again; its waiting jobs print.
    virtual Error StartQueue(const std::string& name) = 0;
};

// A spooler with no queues, for systems and tests without one.
class NoSpooler final : public Spooler {
public:
    std::vector<QueueInfo> ListQueues() override { return {}; }
    Error StopQueue(const std::string&, const std::string&) override {
        return {ErrorKind::Unsupported, 0};
    }
    Error StartQueue(const std::string&) override { return {ErrorKind::Unsupported, 0}; }
};

}  // namespace corvane::platform
