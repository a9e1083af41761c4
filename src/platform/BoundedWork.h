#pragma once

#include <chrono>
#include <functional>

#include "platform/WaitPacer.h"

namespace corvane::platform {

// Runs work that has no time-out of its own (a host name lookup) on a thread of its own and
// waits for it at most budget, calling the pacer's hook between slices when one is given. True
// when the work ended in time; otherwise it goes on alone, so it must keep what it writes alive
// by itself (through a shared pointer it holds).
bool RunWithin(std::function<void()> work, std::chrono::milliseconds budget, WaitPacer* pacer);

}  // namespace corvane::platform
