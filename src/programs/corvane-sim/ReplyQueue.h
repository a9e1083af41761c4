#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "sim/Faults.h"
#include "sim/VirtualPrinter.h"

namespace corvane::programs {

// The printer's replies on their way to the host in real time: a reply is due after the
// printer's latency, and with the slow faults each byte is due one byte time after the one
// before, so that the host sees them as a line of that speed would carry them.
class ReplyQueue {
public:
    using Clock = std::chrono::steady_clock;

    // Queues replies behind those still on their way; baudRate is the line's speed (0 on a link
    // without one).
    void Schedule(std::vector<sim::VirtualPrinter::Reply> replies, const sim::Faults& faults,
                  std::uint32_t baudRate);
    // Moves the bytes that are due to the end of outgoing, which never grows past a bound: a host
    // that never reads must not make the server grow without end.
    void TakeDue(std::vector<std::uint8_t>& outgoing);
    // When the next byte is due, if one is queued.
    std::optional<Clock::time_point> NextDue() const;
    // Drops everything still queued, as a line that is closed or hung up does.
    void Clear();

private:
    struct Scheduled {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes;
    };
    std::deque<Scheduled> scheduled_;
    Clock::time_point lineFreeAt_{};
};

// How long a server may wait in poll() before something is due: until the earlier of the two
// moments, 0 when one has passed, -1 (for ever) when there is none.
int PollTimeoutMs(std::optional<ReplyQueue::Clock::time_point> a,
                  std::optional<ReplyQueue::Clock::time_point> b);

}  // namespace corvane::programs
