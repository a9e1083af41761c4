#include "service/Deploy.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

#include "service/UnexpectedError.h"

namespace corvane::service {

namespace {

using Clock = std::chrono::steady_clock;

// The threads of a deploy: at most `jobs` run at once; each one that ends is joined before the
// next starts, so that no more than that many ever hold a stack.
class Workers {
public:
    Workers(int jobs, std::size_t count) : jobs_(jobs), threads_(count) {}
    ~Workers() { JoinAll(); }

    // Waits until fewer than `jobs` threads run, and takes the place for the next one.
    void TakePlace() {
        {
            std::unique_lock<std::mutex> hold(lock_);
            free_.wait(hold, [this] { return running_ < jobs_; });
            ++running_;
        }
        JoinEnded();
    }

    // Runs work on a thread of its own in the place taken; false with why when the system
    // cannot start one. A thread that has just been joined still counts against the user's
    // limit for a moment, and the limit may be below `jobs`: while others of ours run, the
    // printer waits for one of them to end rather than fail.
    bool Start(std::size_t index, const std::function<void()>& work, std::string& why) {
        for (int quickTries = 0;;) {
            try {
                threads_[index] = std::thread([this, index, work] { RunAndLeave(index, work); });
                return true;
            } catch (const std::system_error& failure) {
                bool othersRun = false;
                {
                    std::unique_lock<std::mutex> hold(lock_);
                    othersRun = running_ > 1;
                    if (othersRun) {
                        free_.wait(hold, [this] { return !ended_.empty(); });
                    }
                }
                if (othersRun) {
                    JoinEnded();
                    continue;
                }
                if (failure.code() == std::errc::resource_unavailable_try_again &&
                    ++quickTries < kQuickTries) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    continue;
                }
                std::lock_guard<std::mutex> hold(lock_);
                --running_;
                why = std::string("no thread could be started for it: ") + failure.what();
                return false;
            }
        }
    }

    void JoinAll() {
        for (auto& thread : threads_) {
            if (thread.joinable()) {
                thread.join();
            }
        }
    }

private:
    // Long enough for the kernel to let go of threads that have just ended.
    static constexpr int kQuickTries = 10;

    void RunAndLeave(std::size_t index, const std::function<void()>& work) {
        // Nothing that escapes one printer's work may end the others' mid-write.
        try {
            work();
        } catch (...) {
        }
        std::lock_guard<std::mutex> hold(lock_);
        --running_;
        ended_.push_back(index);
        free_.notify_all();
    }

    void JoinEnded() {
        std::vector<std::size_t> ended;
        {
            std::lock_guard<std::mutex> hold(lock_);
            ended.swap(ended_);
        }
        for (std::size_t index : ended) {
            threads_[index].join();
        }
    }

    const int jobs_;
    std::mutex lock_;
    std::condition_variable free_;
    int running_ = 0;
    std::vector<std::size_t> ended_;
    std::vector<std::thread> threads_;
};

}  // namespace

DeployOutcome Deploy(const DeployRequest& request, const DeployProgress& progress) {
    DeployOutcome outcome;
    auto refuse = [&](const std::string& why) {
        outcome.exitStatus = kUsageError;
        outcome.refusal = why;
        outcome.runs.clear();
        return outcome;
    };
    if (request.ports.empty()) {
        return refuse("give the ports to deploy to");
    }
    if (request.jobs < 1) {
        return refuse("--jobs must be 1 or more");
    }
    std::vector<DeployRun>& runs = outcome.runs;
    runs.resize(request.ports.size());
    std::set<std::pair<std::string, std::string>> seen;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        std::string error;
        if (!ParsePortTarget(request.ports[i], runs[i].target, error)) {
            return refuse(error);
        }
        const PortTarget& target = runs[i].target;
        if (!seen.insert({target.portName, target.device.value_or("")}).second) {
            return refuse(target.given + " is given twice");
        }
    }
    std::string error;
    auto platforms = PrinterPlatforms::Make(request.platform, error);
    if (!platforms) {
        return refuse(error);
    }

    std::mutex progressLock;
    int done = 0;
    const int total = static_cast<int>(runs.size());
    // Told of each printer as it ends; what goes wrong in telling stays with that printer.
    auto ended = [&](const DeployRun& run) {
        std::lock_guard<std::mutex> hold(progressLock);
        ++done;
        if (progress) {
            try {
                progress(run, done, total);
            } catch (...) {
            }
        }
    };
    auto work = [&request, &ended](DeployRun& run, std::unique_ptr<PrinterPlatform>& platform) {
        auto started = Clock::now();
        RecordingReporter own;
        try {
            // The session ends, and gives its queues back, before anything is caught.
            PrinterSession session(platform->Get(), run.target, own);
            run.report = SetPrinter(session, request.set, own);
        } catch (...) {
            run.report.exitStatus = kInternalError;
            run.report.failure = UnexpectedError(std::current_exception());
            own.Message(platform::Severity::Warning, run.report.failure);
        }
        run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
        run.messages = own.Messages();
        run.why = own.LastWarning();
        // Which device refused to open, and why, says more than the window's message.
        if (!own.Problems().empty()) {
            run.why += (run.why.empty() ? "" : " ") + ("(" + own.Problems().back() + ")");
        }
        platform.reset();
        ended(run);
    };

    // Each printer's platform is made as its thread starts and goes as it ends, so that only the
    // printers being worked on hold one of their own.
    std::vector<std::unique_ptr<PrinterPlatform>> platformOf(runs.size());
    {
        Workers workers(request.jobs, runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i) {
            std::string why;
            workers.TakePlace();
            platformOf[i] = platforms->Next();
            if (!workers.Start(
                    i, [&work, &run = runs[i], &platform = platformOf[i]] { work(run, platform); },
                    why)) {
                platformOf[i].reset();
                runs[i].report.exitStatus = kInternalError;
                runs[i].report.failure = why;
                runs[i].why = why;
                ended(runs[i]);
            }
        }
    }
    for (const auto& run : runs) {
        if (run.report.exitStatus != kSuccess) {
            outcome.exitStatus = run.report.exitStatus;
            break;
        }
    }
    return outcome;
}

}  // namespace corvane::service
