#include "cli/SetOperation.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>

#include "cli/ExitStatus.h"
#include "operations/Identity.h"
#include "operations/StatusValues.h"
#include "platform/Trace.h"
#include "platform/sim/SimPlatform.h"

namespace corvane::cli {

namespace {

using protocol::PrinterModel;

constexpr char kUsePowerSaveKey[] = "usePowerSave";
constexpr char kSecondsKey[] = "powerSaveSeconds";

std::string Stamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// A file name in the directory that no file has yet.
std::string FreeName(const std::string& dir, const std::string& stem, const std::string& ext) {
    namespace fs = std::filesystem;
    for (int n = 1;; ++n) {
        fs::path path = fs::path(dir) / (stem + (n == 1 ? "" : "-" + std::to_string(n)) + ext);
        std::error_code ignored;
        if (!fs::exists(path, ignored)) {
            return path.string();
        }
    }
}

PrinterInfo InfoOf(const Session& session, const operations::PrinterIdentity& identity) {
    return {session.Target().given, identity.makerText, identity.modelText, identity.firmwareText,
            identity.languageText};
}

}  // namespace

std::vector<Difference> Differences(const SettingsDocument& wanted, const SettingsDocument& found,
                                    bool powerSaveTold) {
    std::map<std::string, std::string> foundTexts;
    for (auto& [key, text] : SettingTexts(found)) {
        foundTexts[key] = text;
    }
    std::vector<Difference> differences;
    for (const auto& [key, text] : SettingTexts(wanted)) {
        if (text == kNoChange ||
            (!powerSaveTold && (key == kUsePowerSaveKey || key == kSecondsKey))) {
            continue;
        }
        const std::string& other = foundTexts[key];
        if (other != text) {
            differences.push_back({key, text, other});
        }
    }
    return differences;
}

SettingsDocument DocumentFromStatus(PrinterModel family, const operations::NativeStatus& status) {
    operations::StatusRecord values = operations::UnsetValues();
    operations::TakeStatus(family, status, values);
    return {family, operations::RecordForModel(family, values), std::nullopt};
}

std::vector<std::vector<std::uint8_t>> PlannedFrames(PrinterModel family,
                                                     const operations::StatusWrite& write) {
    // A line that takes everything and answers nothing: the replies Set Status reads are not
    // looked at, and the virtual clock lets their time-outs pass at once.
    platform::sim::SimPlatform line;
    platform::sim::ScriptedPeer peer;
    line.AttachSerial("COM1", peer);
    link::PrinterPort port(line);
    port.SetPortName("COM1");
    port.SetLineSettings({.baudRate = 9600, .dataBits = 8});
    std::vector<std::vector<std::uint8_t>> frames;
    if (!port.Open()) {
        return frames;
    }
    operations::NoProgress progress;
    operations::WriteNativeStatus(port, family, write, progress);
    for (const auto& event : line.Events()) {
        if (event.kind == platform::sim::EventKind::Write) {
            frames.push_back(event.bytes);
        }
    }
    return frames;
}

namespace {

nlohmann::ordered_json DifferencesJson(const std::vector<Difference>& differences) {
    auto list = nlohmann::ordered_json::array();
    for (const auto& difference : differences) {
        list.push_back(
            {{"key", difference.key}, {"wanted", difference.wanted}, {"found", difference.found}});
    }
    return list;
}

}  // namespace

nlohmann::ordered_json SetReportJson(const SetReport& report) {
    nlohmann::ordered_json entry;
    if (report.printer) {
        const PrinterInfo& info = *report.printer;
        entry["printer"] = {{"port", info.port},
                            {"maker", info.maker},
                            {"model", info.model},
                            {"firmware", info.firmware},
                            {"language", info.language}};
    }
    if (!report.backupPath.empty()) {
        entry["backup"] = report.backupPath;
    }
    if (report.changes) {
        entry["changes"] = DifferencesJson(*report.changes);
    }
    if (!report.frames.empty()) {
        auto frames = nlohmann::ordered_json::array();
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

int ConnectFailureStatus(const operations::ConnectResult& result) {
    return result.outcome == operations::ConnectOutcome::OpenFailed ? kPortUnavailable
                                                                    : kPrinterError;
}

SetReport SetPrinter(Session& session, const SetRequest& request, platform::Reporter& reporter) {
    SetReport report;
    auto fail = [&](int status, std::string why) {
        report.exitStatus = status;
        report.failure = std::move(why);
        return report;
    };
    operations::ConnectResult connected = session.Connect(request.choice);
    if (!connected.Connected()) {
        return fail(ConnectFailureStatus(connected), "not connected");
    }
    if (session.Emulation() != protocol::Emulation::Native) {
        return fail(kUsageError,
                    "a printer in the \"Other\" emulation has no memory switch manager; use "
                    "linemode");
    }
    const PrinterModel family = session.Family();
    if (request.file.family && *request.file.family != family) {
        return fail(kUsageError, request.file.path + " holds settings for the " +
                                     std::string(FamilyName(*request.file.family)) +
                                     "; the printer is of the " + std::string(FamilyName(family)) +
                                     " family");
    }
    SettingsDocument wanted = request.file.For(family);
    link::PrinterPort& port = session.Port();
    operations::NoProgress progress;

    operations::PrinterIdentity identity =
        operations::ReadPrinterIdentity(port, family, progress, reporter);
    if (identity.outcome == operations::IdentityOutcome::OtherModel) {
        reporter.Message(platform::Severity::Warning,
                         std::string(operations::kOtherCompanyProductMessage));
    }
    if (!identity.Accepted()) {
        return fail(kPrinterError, "the printer was not accepted");
    }
    report.printer = InfoOf(session, identity);

    if (request.backup || request.dryRun) {
        operations::ReadResult before = operations::ReadNativeStatus(port, family, progress);
        if (!before.ok) {
            reporter.Message(platform::Severity::Warning,
                             operations::ReadFailureMessage(family, before.failedItem));
            return fail(kPrinterError, "the printer's settings could not be read; nothing written");
        }
        SettingsDocument current = DocumentFromStatus(family, before.status);
        report.changes = Differences(wanted, current, before.status.powerSave.has_value());
        if (request.backup && !request.dryRun) {
            current.printer = report.printer;
            std::string path =
                FreeName(request.backupDir,
                         "backup-" + FileNamePart(session.Target()) + "-" + Stamp(), ".json");
            std::string json = SettingsJson(current);
            std::string error;
            if (!operations::WriteFileAtomically(
                    path,
                    std::span<const std::uint8_t>(
                        reinterpret_cast<const std::uint8_t*>(json.data()), json.size()),
                    error)) {
                return fail(kUsageError, "no backup, so nothing written: " + error);
            }
            report.backupPath = path;
        }
    }

    operations::StatusWrite write = operations::StatusToWrite(
        family, wanted.values, operations::CodePageSelection(family, wanted.values.switchPage1),
        identity.modelText);
    if (request.dryRun) {
        report.frames = PlannedFrames(family, write);
        return report;
    }
    operations::WriteResult written = operations::WriteNativeStatus(port, family, write, progress);
    if (!written.ok) {
        reporter.Message(platform::Severity::Warning,
                         operations::WriteFailureMessage(written.failedStep));
        return fail(kPrinterError, "not all settings went out");
    }
    report.written = true;
    // As the window does, the printer is identified in full once more; its answer does not count,
    // as a printer that just changed its speed may not answer.
    operations::ReadPrinterIdentity(port, family, progress, reporter);
    reporter.Message(
        platform::Severity::Information,
        std::string(family == PrinterModel::Krt620 ? operations::kSetSuccessKrt620Message
                                                   : operations::kSetSuccessKrt310Message));
    if (request.retuneLine && family == PrinterModel::Krt310Family &&
        port.Kind() == link::InterfaceKind::Serial) {
        operations::RetuneHostLine(port, write.serial);
    }
    if (!request.verify) {
        return report;
    }
    operations::ReadResult after = operations::ReadNativeStatus(port, family, progress);
    if (!after.ok) {
        reporter.Message(platform::Severity::Warning,
                         operations::ReadFailureMessage(family, after.failedItem));
        return fail(kPrinterError, "written, but the printer could not be read back");
    }
    // What goes out for power save is held to the seconds the printer takes.
    SettingsDocument sent = wanted;
    if (family == PrinterModel::Krt310Family) {
        sent.values.powerSaveSeconds =
            std::clamp(sent.values.powerSaveSeconds, operations::kLowestPowerSaveSeconds,
                       operations::kHighestPowerSaveSeconds);
    }
    report.mismatches = Differences(sent, DocumentFromStatus(family, after.status),
                                    after.status.powerSave.has_value());
    report.verified = report.mismatches.empty();
    if (!report.verified) {
        return fail(kVerifyMismatch, "the printer reads back otherwise");
    }
    return report;
}

}  // namespace corvane::cli
