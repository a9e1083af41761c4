#include "cli/Deploy.h"

#include <chrono>
#include <cstdio>
#include <iomanip>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "cli/ExitStatus.h"
#include "cli/PrinterPlatforms.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

struct PrinterRun {
    PortTarget target;
    std::unique_ptr<PrinterPlatform> platform;
    SetReport report;
    std::vector<TerminalReporter::Entry> messages;
    std::string why;  // the message that says why it failed
    double seconds = 0;
};

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

std::string ProgressLine(const PrinterRun& run, int done, int total) {
    std::ostringstream line;
    line << "[" << done << "/" << total << "] " << run.target.given << "  "
         << ResultName(run.report.exitStatus);
    if (run.report.exitStatus == kSuccess) {
        if (!run.report.backupPath.empty()) {
            line << ", backup " << run.report.backupPath;
        }
        line << (run.report.verified ? ", verified" : run.report.written ? ", written" : "");
    } else {
        line << ": " << (run.why.empty() ? run.report.failure : run.why);
        for (const auto& mismatch : run.report.mismatches) {
            line << "; " << mismatch.key << " wrote " << mismatch.wanted << ", reads "
                 << mismatch.found;
        }
    }
    line << " (" << Seconds(run.seconds) << ")";
    return line.str();
}

}  // namespace

const char* ResultName(int exitStatus) {
    switch (exitStatus) {
        case kSuccess:
            return "ok";
        case kPrinterError:
            return "printer error";
        case kUsageError:
            return "usage error";
        case kVerifyMismatch:
            return "mismatch";
        case kPortUnavailable:
            return "port unavailable";
        default:
            return "failed";
    }
}

CommandResult RunDeploy(const startup::CliOptions& options, const SetRequest& request,
                        TerminalReporter& reporter, std::ostream& progress) {
    CommandResult result;
    auto refuse = [&](const std::string& why) {
        reporter.Message(platform::Severity::Warning, why);
        result.exitStatus = kUsageError;
        result.json["error"] = why;
        return result;
    };
    if (options.ports.empty()) {
        return refuse("give the ports to deploy to");
    }
    std::vector<PrinterRun> runs(options.ports.size());
    std::set<std::pair<std::string, std::string>> seen;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        std::string error;
        if (!ParsePortTarget(options.ports[i], runs[i].target, error)) {
            return refuse(error);
        }
        const PortTarget& target = runs[i].target;
        if (!seen.insert({target.portName, target.device.value_or("")}).second) {
            return refuse(target.given + " is given twice");
        }
    }
    std::string error;
    auto platforms = PrinterPlatforms::Make(options, error);
    if (!platforms) {
        return refuse(error);
    }
    for (auto& run : runs) {
        run.platform = platforms->Next();
    }

    std::mutex outputLock;
    int done = 0;
    const int total = static_cast<int>(runs.size());
    std::vector<std::thread> threads;
    for (auto& run : runs) {
        threads.emplace_back([&run, &request, &outputLock, &done, &progress, total] {
            auto started = Clock::now();
            TerminalReporter own(nullptr, false);
            {
                Session session(run.platform->Get(), run.target, own);
                run.report = SetPrinter(session, request, own);
            }
            run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
            run.messages = own.Messages();
            run.why = own.LastWarning();
            // Which device refused to open, and why, says more than the window's message.
            if (!own.Problems().empty()) {
                run.why += (run.why.empty() ? "" : " ") + ("(" + own.Problems().back() + ")");
            }
            std::lock_guard<std::mutex> hold(outputLock);
            progress << ProgressLine(run, ++done, total) << std::endl;
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }

    std::ostringstream table;
    table << std::left << std::setw(22) << "PORT" << std::setw(18) << "RESULT" << std::setw(12)
          << "MODEL"
          << "BACKUP\n";
    json printers = json::array();
    int succeeded = 0;
    for (const auto& run : runs) {
        const SetReport& report = run.report;
        if (report.exitStatus == kSuccess) {
            ++succeeded;
        } else if (result.exitStatus == kSuccess) {
            result.exitStatus = report.exitStatus;
        }
        std::string model = report.printer ? report.printer->model : "-";
        table << std::setw(22) << run.target.given << std::setw(18) << ResultName(report.exitStatus)
              << std::setw(12) << model << (report.backupPath.empty() ? "-" : report.backupPath)
              << "\n";
        json entry = {{"port", run.target.given},
                      {"exitStatus", report.exitStatus},
                      {"result", ResultName(report.exitStatus)},
                      {"seconds", run.seconds}};
        entry.update(SetReportJson(report));
        json messages = json::array();
        for (const auto& message : run.messages) {
            messages.push_back({{"severity", TerminalReporter::SeverityName(message.severity)},
                                {"text", TerminalReporter::Format(message)}});
        }
        entry["messages"] = messages;
        printers.push_back(entry);
    }
    table << succeeded << " of " << total << " printers succeeded.\n";
    result.json["printers"] = printers;
    result.json["succeeded"] = succeeded;
    result.json["failed"] = total - succeeded;
    result.text = table.str();
    return result;
}

}  // namespace corvane::cli
