#include "platform/posix/Deadline.h"

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace corvane::platform::posix {

Deadline::Deadline(std::chrono::milliseconds budget, WaitPacer* pacer)
    : end_(std::chrono::steady_clock::now() + budget), pacer_(pacer) {}

bool Deadline::Passed() const {
    return std::chrono::steady_clock::now() >= end_;
}

int Deadline::RemainingMs() const {
    auto left = end_ - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
        return 0;
    }
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

void Deadline::SleepAtMost(std::chrono::milliseconds step) const {
    SleepUntil(std::min(end_, std::chrono::steady_clock::now() + step), pacer_);
}

std::chrono::milliseconds RequestBudget(std::uint32_t constantMs, std::uint32_t multiplierMs,
                                        std::size_t bytes) {
    return std::chrono::milliseconds(static_cast<long long>(constantMs) +
                                     static_cast<long long>(multiplierMs) *
                                         static_cast<long long>(bytes));
}

void SleepFully(std::chrono::nanoseconds duration) {
    if (duration <= std::chrono::nanoseconds::zero()) {
        return;
    }
    timespec target{};
    clock_gettime(CLOCK_MONOTONIC, &target);
    auto total = std::chrono::nanoseconds(target.tv_nsec) + duration;
    target.tv_sec += static_cast<time_t>(std::chrono::floor<std::chrono::seconds>(total).count());
    target.tv_nsec = static_cast<long>((total % std::chrono::seconds(1)).count());
    // An absolute target lets a sleep interrupted by a signal resume without drifting.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
    }
}

void SleepUntil(std::chrono::steady_clock::time_point end, WaitPacer* pacer) {
    for (;;) {
        auto left = end - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return;
        }
        if (pacer == nullptr) {
            SleepFully(left);
            return;
        }
        pacer->CallIfDue();
        left = end - std::chrono::steady_clock::now();
        auto slice = pacer->Slice(std::chrono::ceil<std::chrono::milliseconds>(left));
        SleepFully(std::min<std::chrono::nanoseconds>(left, slice));
    }
}

}  // namespace corvane::platform::posix
