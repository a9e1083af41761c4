#pragma once

// The local print spooler, as far as the printer link needs it: which queues exist, which device
// each one prints to, and stopping and starting a queue so that the spooler leaves the printer's
// port alone while this program talks to the printer.
//
// Every call is bounded in time. A machine without a spooler (no daemon installed) has no queues;
// a spooler that is there but does not answer makes the listing fail, which is not the same as
// a spooler without queues: the queues on the port are then unknown and stay as they are.

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace corvane::platform {

struct QueueInfo {
    std::string name;
    std::string deviceUri;       // where the queue prints, such as serial:/dev/ttyS1 or usb://...
    bool stopped = false;        // the queue holds its jobs instead of printing them
    std::string stateMessage{};  // why it is stopped, as whoever stopped it said; may be empty
};

// The queues of a spooler, or why it could not be asked.
struct QueueListing {
    std::vector<QueueInfo> queues;
    Error error;

    bool Ok() const { return error.Ok(); }
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // The local queues, in the spooler's order.
    virtual QueueListing ListQueues() = 0;
    // Stops a queue; jobs sent to it wait. The reason is shown to whoever looks at the queue.
    virtual Error StopQueue(const std::string& name, const std::string& reason) = 0;
    // Starts a stopped queue again; its waiting jobs print.
    virtual Error StartQueue(const std::string& name) = 0;

    // Which spooler this is (a server's socket or host name), so that a record of stopped queues
    // goes back to the spooler that holds them; empty where a machine has only one.
    virtual std::string Location() { return {}; }
    // Whether a listed queue is still as StopQueue left it with this reason, so that a later run
    // of the program can tell its own stops from anyone else's.
    virtual bool IsStoppedFor(const QueueInfo& queue, const std::string& reason) {
        return queue.stopped && queue.stateMessage == reason;
    }
    // Starts a queue that an ended run of the program stopped, which this object did not:
    // formerDevice is where the queue printed before the stop.
    virtual Error StartQueueOf(const std::string& name, const std::string& formerDevice) {
        (void)formerDevice;
        return StartQueue(name);
    }
};

// A spooler with no queues, for systems and tests without one.
class NoSpooler final : public Spooler {
public:
    QueueListing ListQueues() override { return {}; }
    Error StopQueue(const std::string&, const std::string&) override {
        return {ErrorKind::Unsupported, 0};
    }
    Error StartQueue(const std::string&) override { return {ErrorKind::Unsupported, 0}; }
};

}  // namespace corvane::platform
