#pragma once

// The print queues this program keeps stopped, one table for the whole process.
//
// Several sessions of one process (deploy's printers, a second window) may use the same device,
// so each queue counts the sessions that need it stopped, and only the last of them to let go
// starts it again. A queue is written to the record of held things (platform/Holdings.h) before
// it is stopped and leaves the record once it runs again, so that the next start of the program
// gives back what a killed one held.

#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "link/PortMap.h"
#include "platform/Platform.h"
#include "platform/Spooler.h"

namespace corvane::link {

// What a moved queue looked like before this program touched it.
struct RedirectedPrinter {
    std::string formerPort;   // its device URI, unchanged by the move
    bool wasStopped = false;  // stopped by someone else before; it stays stopped on restore
};

// One session's queues: name to its former state; a name is a key once.
using RedirectedPrinters = std::map<std::string, RedirectedPrinter>;

// The state message a moved queue shows to whoever looks at it, by which a later run of the
// program also knows its own stops.
inline constexpr char kPortInUseReason[] = "The port is in use by Corvane Manager.";

class HeldQueues {
public:
    // The table of this process, which lives until the program ends.
    static HeldQueues& OfProcess();
    HeldQueues() = default;

    HeldQueues(const HeldQueues&) = delete;
    HeldQueues& operator=(const HeldQueues&) = delete;

    // Stops every queue on the device that the port map puts behind portName and counts the
    // session among the queue's users, in session too. A queue another session holds already
    // stays stopped; a queue someone else stopped is noted and left alone; a queue that an ended
    // run of the program stopped, which no running one holds, is taken over. A queue that could
    // not be stopped is recorded all the same, so that the next restore tries it again.
    void Redirect(platform::Platform& platform, const PortMap& ports, const std::string& portName,
                  RedirectedPrinters& session);

    // Lets go of the session's queues: each one that no other session needs, and that this
    // program stopped, starts again, trying for about ten seconds while the spooler cannot be
    // reached. A queue that does not start is told, and stays with the session for its next
    // restore.
    void Restore(platform::Platform& platform, RedirectedPrinters& session);

    // The session ends: Restore, then the table forgets it. What did not start stays in the
    // record of held things, for the next start of the program.
    void Leave(platform::Platform& platform, RedirectedPrinters& session);

    // Restores every session's queues now, for a program that is about to end.
    void RestoreAll();

private:
    using Key = std::pair<platform::Spooler*, std::string>;
    struct Entry {
        RedirectedPrinter former;
        std::map<RedirectedPrinters*, platform::Platform*> sessions;
    };

    void Hold(platform::Platform& platform, const platform::QueueInfo& queue,
              RedirectedPrinters& session);
    void RestoreLocked(platform::Platform& platform, RedirectedPrinters& session);

    // Recursive: a program that ends from inside a restore's pause restores from there again.
    std::recursive_mutex lock_;
    std::map<Key, Entry> entries_;
    std::map<RedirectedPrinters*, platform::Platform*> sessions_;
};

}  // namespace corvane::link
