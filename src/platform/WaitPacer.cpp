#include "platform/WaitPacer.h"

#include <algorithm>

namespace corvane::platform {

void WaitPacer::CallIfDue() {
    if (!hook_ || calling_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastCall_ < kWaitHookInterval) {
        return;
    }
    calling_ = true;
    hook_();
    calling_ = false;
    lastCall_ = std::chrono::steady_clock::now();
}

std::chrono::milliseconds WaitPacer::Slice(std::chrono::milliseconds left) const {
    left = std::max(left, std::chrono::milliseconds::zero());
    if (!hook_ || calling_) {
        return left;
    }
    const auto due = lastCall_ + kWaitHookInterval - std::chrono::steady_clock::now();
    // Rounded up, so that the hook is due when the slice has passed.
    const auto untilDue = std::chrono::ceil<std::chrono::milliseconds>(due);
    return std::clamp(untilDue, std::chrono::milliseconds::zero(), left);
}

}  // namespace corvane::platform
