#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "platform/WaitPacer.h"

namespace corvane::platform::posix {

// The end of one read or write request on the monotonic clock, and the pacer of the wait hook
// that its waits keep called (none when null).
class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds budget, WaitPacer* pacer = nullptr);

    bool Passed() const;
    // What is left, rounded up to whole milliseconds so a wait never ends before the deadline.
    int RemainingMs() const;
    // Sleeps for step or until the deadline, whichever comes first.
    void SleepAtMost(std::chrono::milliseconds step) const;
    WaitPacer* Pacer() const { return pacer_; }

private:
    std::chrono::steady_clock::time_point end_;
    WaitPacer* pacer_;
};

// The time one request for bytes may take: a constant part plus a part for each byte.
std::chrono::milliseconds RequestBudget(std::uint32_t constantMs, std::uint32_t multiplierMs,
                                        std::size_t bytes);

// Sleeps the whole duration on the monotonic clock, resuming after signals.
void SleepFully(std::chrono::nanoseconds duration);

// Sleeps until end on the monotonic clock, calling the pacer's hook while it lasts.
void SleepUntil(std::chrono::steady_clock::time_point end, WaitPacer* pacer);

}  // namespace corvane::platform::posix
