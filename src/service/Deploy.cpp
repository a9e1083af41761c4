#include "service/Deploy.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace corvane::service {

namespace {

using Clock = std::chrono::steady_clock;

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
    std::vector<PortTarget> targets;
    std::string error;
    if (!ParsePortTargets(request.ports, targets, error)) {
        return refuse(error);
    }
    std::vector<DeployRun>& runs = outcome.runs;
    runs.resize(targets.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        runs[i].target = std::move(targets[i]);
    }
    auto platforms = PrinterPlatforms::Make(request.platform, error);
    if (!platforms) {
        return refuse(error);
    }
    std::vector<std::unique_ptr<PrinterPlatform>> platformOf;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        platformOf.push_back(platforms->Next());
    }

    std::mutex progressLock;
    int done = 0;
    const int total = static_cast<int>(runs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        threads.emplace_back([&run = runs[i], &platform = *platformOf[i], &request, &progressLock,
                              &done, &progress, total] {
            auto started = Clock::now();
            RecordingReporter own;
            {
                PrinterSession session(platform.Get(), run.target, own);
                run.report = SetPrinter(session, request.set, own);
            }
            run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
            run.messages = own.Messages();
            run.why = own.LastWarning();
            // Which device refused to open, and why, says more than the window's message.
            if (!own.Problems().empty()) {
                run.why += (run.why.empty() ? "" : " ") + ("(" + own.Problems().back() + ")");
            }
            std::lock_guard<std::mutex> hold(progressLock);
            if (progress) {
                progress(run, ++done, total);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
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
