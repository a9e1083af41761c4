#include "programs/corvane-sim/ReplyQueue.h"

#include <algorithm>

namespace corvane::programs {

namespace {

constexpr std::size_t kMaxOutgoing = 64 * 1024;

}  // namespace

void ReplyQueue::Schedule(std::vector<sim::VirtualPrinter::Reply> replies,
                          const sim::Faults& faults, std::uint32_t baudRate) {
    auto byteTime = faults.ByteTime(baudRate);
    Clock::time_point start = std::max(Clock::now() + faults.latency, lineFreeAt_);
    for (auto& reply : replies) {
        if (byteTime.count() == 0) {
            scheduled_.push_back({start, std::move(reply)});
            continue;
        }
        for (std::size_t i = 0; i < reply.size(); ++i) {
            scheduled_.push_back(
                {start + byteTime * static_cast<long>(i + 1), std::vector<std::uint8_t>{reply[i]}});
        }
        start += byteTime * static_cast<long>(reply.size());
    }
    lineFreeAt_ = start;
}

void ReplyQueue::TakeDue(std::vector<std::uint8_t>& outgoing) {
    Clock::time_point now = Clock::now();
    while (!scheduled_.empty() && scheduled_.front().due <= now) {
        auto& bytes = scheduled_.front().bytes;
        if (outgoing.size() + bytes.size() <= kMaxOutgoing) {
            outgoing.insert(outgoing.end(), bytes.begin(), bytes.end());
        }
        scheduled_.pop_front();
    }
}

std::optional<ReplyQueue::Clock::time_point> ReplyQueue::NextDue() const {
    if (scheduled_.empty()) {
        return std::nullopt;
    }
    return scheduled_.front().due;
}

void ReplyQueue::Clear() {
    scheduled_.clear();
}

int PollTimeoutMs(std::optional<ReplyQueue::Clock::time_point> a,
                  std::optional<ReplyQueue::Clock::time_point> b) {
    std::optional<ReplyQueue::Clock::time_point> wake = a;
    if (b) {
        wake = wake ? std::min(*wake, *b) : *b;
    }
    if (!wake) {
        return -1;
    }
    auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - ReplyQueue::Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, 60'000));
}

}  // namespace corvane::programs
