#pragma once

#include <chrono>
#include <utility>

#include "platform/Platform.h"

namespace corvane::platform {

// Calls a platform's wait hook while its waits last: a backend asks for the slice it may block
// for, blocks at most that long, and calls CallIfDue between slices. The time since the last
// call counts across waits, so that a run of short pauses keeps the hook called too. One pacer
// serves a platform and every device it opened.
class WaitPacer {
public:
    void SetHook(WaitHook hook) { hook_ = std::move(hook); }

    // Calls the hook when kWaitHookInterval has passed since its last call; never from inside
    // the hook itself.
    void CallIfDue();

    // How long a wait with left to go may block before the hook is due: left itself without a
    // hook (or from inside it), else at most what remains of the interval.
    std::chrono::milliseconds Slice(std::chrono::milliseconds left) const;

private:
    WaitHook hook_;
    std::chrono::steady_clock::time_point lastCall_{};
    bool calling_ = false;
};

}  // namespace corvane::platform
