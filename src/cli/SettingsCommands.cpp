// The commands on settings files: set on one printer, deploy on many, and convert between the
// two kinds of file.
#include <cstdio>
#include <iomanip>
#include <optional>
#include <sstream>

#include "base/VisibleText.h"
#include "cli/CommandRunners.h"
#include "operations/StatusValues.h"
#include "platform/Trace.h"
#include "service/Deploy.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;
using service::kSuccess;
using service::SetReport;

std::string FramesText(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::string text = "Frames that would go out:\n";
    for (const auto& frame : frames) {
        text += "  " + platform::TraceSink::Hex(frame) + "  |" +
                platform::TraceSink::Printable(frame) + "|\n";
    }
    return text;
}

// The settings file the options name, checked against --model; empty after the refusal.
std::optional<service::SettingsFile> LoadSetFile(CommandCall& call, CommandResult& refusal) {
    const startup::CliOptions& options = call.options;
    std::string error;
    if (options.settingsFile.empty()) {
        refusal = Refused(call.reporter, "give the settings FILE");
        return std::nullopt;
    }
    service::SettingsFile file;
    if (!service::LoadSettingsFile(options.settingsFile, file, error)) {
        refusal = Refused(call.reporter, error);
        return std::nullopt;
    }
    auto family = FamilyOf(options.model);
    if (family && file.family && *family != *file.family) {
        refusal = Refused(call.reporter, options.settingsFile + " holds settings for the " +
                                             std::string(service::FamilyName(*file.family)) +
                                             ", not for the --model given");
        return std::nullopt;
    }
    return file;
}

// "ok", "printer error", "usage error", "mismatch" or "port unavailable".
const char* ResultName(int exitStatus) {
    switch (exitStatus) {
        case service::kSuccess:
            return "ok";
        case service::kPrinterError:
            return "printer error";
        case service::kUsageError:
            return "usage error";
        case service::kVerifyMismatch:
            return "mismatch";
        case service::kPortUnavailable:
            return "port unavailable";
        default:
            return "failed";
    }
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", seconds);
    return text;
}

std::string ProgressLine(const service::DeployRun& run, int done, int total) {
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

std::string SetReportText(const SetReport& report, bool dryRun) {
    std::ostringstream text;
    if (!report.backupPath.empty()) {
        text << "Backup saved to " << report.backupPath << "\n";
    }
    if (report.changes) {
        text << (dryRun ? "Would change " : "Changes ") << report.changes->size()
             << (report.changes->size() == 1 ? " setting" : " settings")
             << (report.changes->empty() ? "." : ":") << "\n";
        text << ChangesText(*report.changes);
    }
    if (dryRun && !report.frames.empty()) {
        text << FramesText(report.frames) << "Dry run: nothing was written.\n";
    }
    if (report.written) {
        text << (report.verified ? "Written and read back the same.\n" : "Written.\n");
    }
    if (!report.mismatches.empty()) {
        text << "The printer reads back otherwise:\n";
        for (const auto& mismatch : report.mismatches) {
            text << "  " << mismatch.key << ": wrote " << mismatch.wanted << ", reads "
                 << mismatch.found << "\n";
        }
    }
    return text.str();
}

json DifferencesJson(const std::vector<service::Difference>& differences) {
    auto list = json::array();
    for (const auto& difference : differences) {
        list.push_back(
            {{"key", difference.key}, {"wanted", difference.wanted}, {"found", difference.found}});
    }
    return list;
}

json SetReportJson(const SetReport& report) {
    json entry;
    if (report.printer) {
        const service::PrinterInfo& info = *report.printer;
        entry["printer"] = {{"port", info.port},
                            {"maker", info.maker},
                            {"model", info.model},
                            {"firmware", info.firmware},
                            {"language", info.language}};
    }
    if (!report.backupPath.empty()) {
        entry["backup"] = report.backupPath;
    }
    if (!report.historyFile.empty()) {
        entry["history"] = report.historyFile;
    }
    if (report.changes) {
        entry["changes"] = DifferencesJson(*report.changes);
    }
    if (!report.frames.empty()) {
        auto frames = json::array();
        for (const auto& frame : report.frames) {
            frames.push_back(platform::TraceSink::Hex(frame));
        }
        entry["frames"] = frames;
    }
    entry["written"] = report.written;
    entry["verified"] = report.verified;
    if (!report.mismatches.empty()) {
        entry["mismatches"] = DifferencesJson(report.mismatches);
    }
    if (!report.failure.empty()) {
        entry["error"] = report.failure;
    }
    return entry;
}

}  // namespace

std::string ChangesText(const std::vector<service::Difference>& changes) {
    std::string text;
    for (const auto& change : changes) {
        text += "  " + change.key + ": " + change.found + " -> " + change.wanted + "\n";
    }
    return text;
}

service::SetRequest SetRequestOf(const startup::CliOptions& options, service::SettingsFile file,
                                 const service::History* history) {
    service::SetRequest request;
    request.file = std::move(file);
    request.choice = ChoiceOf(options);
    request.dryRun = options.dryRun;
    request.backup = !options.noBackup;
    request.verify = !options.noVerify;
    request.retuneLine = options.retuneLine;
    request.backupDir = options.backupDir;
    request.history = history;
    return request;
}

CommandResult SetOutcome(CommandCall& call, const SetReport& report, bool changesShown) {
    CommandResult result;
    if (!report.failure.empty() && report.exitStatus == service::kUsageError) {
        call.reporter.Message(platform::Severity::Warning, report.failure);
    }
    SetReport told = report;
    if (changesShown && !call.options.dryRun) {
        told.changes.reset();
    }
    result.exitStatus = report.exitStatus;
    result.json = SetReportJson(report);
    result.text = SetReportText(told, call.options.dryRun);
    return result;
}

CommandResult RunSet(CommandCall& call) {
    CommandResult result;
    const startup::CliOptions& options = call.options;
    auto file = LoadSetFile(call, result);
    if (!file) {
        return result;
    }
    if (options.dryRun && options.ports.empty() && !options.simulate) {
        // Without a printer the frames are all a dry run can show; nothing is opened.
        auto family = file->family ? file->family : FamilyOf(options.model);
        if (!family) {
            return Refused(call.reporter,
                           "a status file names no family: give --model, or --port to "
                           "ask the printer");
        }
        service::SettingsDocument wanted = file->For(*family);
        auto write = operations::StatusToWrite(
            *family, wanted.values,
            operations::CodePageSelection(*family, wanted.values.switchPage1));
        SetReport report;
        report.frames = service::PlannedFrames(*family, write);
        result.json = SetReportJson(report);
        result.text = FramesText(report.frames) + "Dry run: nothing was opened or written.\n";
        return result;
    }
    auto printer = OpenPrinter(call, result);
    if (!printer) {
        return result;
    }
    auto history = UserHistory(call);
    SetReport report = service::SetPrinter(
        *printer, SetRequestOf(options, std::move(*file), history ? &*history : nullptr),
        call.reporter, &call.shown);
    return SetOutcome(call, report, false);
}

CommandResult RunDeploy(CommandCall& call) {
    CommandResult result;
    auto file = LoadSetFile(call, result);
    if (!file) {
        return result;
    }
    service::DeployRequest request;
    request.ports = call.options.ports;
    request.platform = PlatformOf(call.options);
    auto history = UserHistory(call);
    request.set = SetRequestOf(call.options, std::move(*file), history ? &*history : nullptr);
    request.set.action = "deploy";
    request.jobs = call.options.jobs;
    int failed = 0;
    call.shown.ShowCount(0, 0, static_cast<int>(request.ports.size()));
    service::DeployOutcome outcome = service::Deploy(
        request, [&call, &failed](const service::DeployRun& run, int done, int total) {
            failed += run.report.exitStatus == kSuccess ? 0 : 1;
            call.shown.Clear();
            call.progress << base::TerminalText(ProgressLine(run, done, total)) << std::endl;
            call.shown.ShowCount(done - failed, failed, total - done);
        });
    call.shown.Clear();
    if (!outcome.refusal.empty()) {
        return Refused(call.reporter, outcome.refusal);
    }

    std::ostringstream table;
    table << std::left << std::setw(22) << "PORT" << std::setw(18) << "RESULT" << std::setw(12)
          << "MODEL"
          << "BACKUP\n";
    json printers = json::array();
    int succeeded = 0;
    for (const auto& run : outcome.runs) {
        const SetReport& report = run.report;
        if (report.exitStatus == kSuccess) {
            ++succeeded;
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
        entry["messages"] = MessagesJson(run.messages);
        printers.push_back(entry);
    }
    const int total = static_cast<int>(outcome.runs.size());
    table << succeeded << " of " << total << " printers succeeded.\n";
    result.exitStatus = outcome.exitStatus;
    result.json["printers"] = printers;
    result.json["succeeded"] = succeeded;
    result.json["failed"] = total - succeeded;
    result.text = table.str();
    return result;
}

CommandResult RunConvert(CommandCall& call) {
    CommandResult result;
    const startup::CliOptions& options = call.options;
    auto file = LoadSetFile(call, result);
    if (!file) {
        return result;
    }
    if (options.convertOutput.empty()) {
        return Refused(call.reporter, "give the file to write");
    }
    auto family = file->family ? file->family : FamilyOf(options.model);
    if (!family) {
        return Refused(call.reporter, "a status file names no family: give --model");
    }
    std::string error;
    if (!service::SaveSettings(options.convertOutput, file->For(*family), error)) {
        return Refused(call.reporter, error);
    }
    result.json["output"] = options.convertOutput;
    result.text = "Wrote " + options.convertOutput + "\n";
    return result;
}

}  // namespace corvane::cli
