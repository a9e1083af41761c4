#include "platform/BoundedWork.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace corvane::platform {

namespace {

struct Completion {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
};

}  // namespace

bool RunWithin(std::function<void()> work, std::chrono::milliseconds budget, WaitPacer* pacer) {
    using Clock = std::chrono::steady_clock;
    auto completion = std::make_shared<Completion>();
    std::thread([completion, work = std::move(work)] {
        work();
        std::lock_guard<std::mutex> hold(completion->lock);
        completion->done = true;
        completion->finished.notify_all();
    }).detach();

    const auto end = Clock::now() + budget;
    std::unique_lock<std::mutex> hold(completion->lock);
    while (!completion->done) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            return false;
        }
        auto slice = left;
        if (pacer != nullptr) {
            // The hook may take its time; the work must not wait for it to report.
            hold.unlock();
            pacer->CallIfDue();
            hold.lock();
            slice = pacer->Slice(left);
        }
        completion->finished.wait_for(hold, slice, [&] { return completion->done; });
    }
    return true;
}

}  // namespace corvane::platform
