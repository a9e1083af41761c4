#include "service/SetOperation.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "operations/Identity.h"
#include "operations/StatusValues.h"
#include "platform/CarefulFile.h"
#include "platform/sim/SimPlatform.h"
#include "service/ExitStatus.h"

namespace corvane::service {

namespace {

using protocol::PrinterModel;

std::string Stamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// The record of a write that went out, as far as it went.
HistoryRecord RecordOf(PrinterSession& session, const SetRequest& request, const SetReport& report,
                       const std::optional<SettingsDocument>& before,
                       const SettingsDocument& written) {
    HistoryRecord record;
    record.program = request.program;
    record.action = request.action;
    record.port = session.Target().given;
    if (const platform::Device* device = session.Port().Device()) {
        record.device = device->Name();
    }
    if (report.printer) {
        record.model = report.printer->model;
        record.firmware = report.printer->firmware;
    }
    record.before = before;
    record.written = written;
    record.complete = report.written;
    if (report.written && request.verify) {
        record.verified = report.verified;
    }
    return record;
}

// Writes, identifies the printer again and reads it back, as far as the request asks; the report
// says how far it came.
void WriteAndVerify(link::PrinterPort& port, PrinterModel family,
                    const operations::StatusWrite& write, const SettingsDocument& wanted,
                    const SetRequest& request, SetReport& report, platform::Reporter& reporter,
                    operations::Progress& progress) {
    auto fail = [&](int status, std::string why) {
        report.exitStatus = status;
        report.failure = std::move(why);
    };
    progress.SetStage("Writing the settings");
    operations::WriteResult written = operations::WriteNativeStatus(port, family, write, progress);
    if (!written.ok) {
        reporter.Message(platform::Severity::Warning,
                         operations::WriteFailureMessage(written.failedStep));
        return fail(kPrinterError, "not all settings went out");
    }
    report.written = true;
    // As the window does, the printer is identified in full once more; its answer does not count,
    // as a printer that just changed its speed may not answer.
    progress.SetStage("Identifying the printer");
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
        return;
    }
    progress.SetStage("Reading back");
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
        fail(kVerifyMismatch, "the printer reads back otherwise");
    }
}

}  // namespace

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

SetReport SetPrinter(PrinterSession& session, const SetRequest& request,
                     platform::Reporter& reporter, operations::Progress* shown) {
    SetReport report;
    operations::NoProgress unseen;
    operations::Progress& progress = shown != nullptr ? *shown : unseen;
    auto fail = [&](int status, std::string why) {
        report.exitStatus = status;
        report.failure = std::move(why);
        return report;
    };
    auto otherFamily = [](const SettingsFile& file, PrinterModel family) {
        return file.path + " holds settings for the " + std::string(FamilyName(*file.family)) +
               "; the printer is of the " + std::string(FamilyName(family)) + " family";
    };
    progress.SetStage("Connecting");
    StartOutcome started = session.Start(request.choice, {.nativeEmulation = true});
    if (started.step == StartStep::NotNative) {
        return fail(kUsageError,
                    "a printer in the \"Other\" emulation has no memory switch manager; use "
                    "linemode");
    }
    if (!started.Started()) {
        return fail(started.exitStatus, started.failure);
    }
    const PrinterModel family = session.Family();
    if (request.file.family && *request.file.family != family) {
        return fail(kUsageError, otherFamily(request.file, family));
    }
    link::PrinterPort& port = session.Port();

    progress.SetStage("Identifying the printer");
    if (!session.Identify()) {
        return fail(kPrinterError, "the printer was not accepted");
    }
    const operations::PrinterIdentity& identity = session.Identity();
    report.printer = session.Info();
    SettingsFile file = request.file;
    if (request.chooseFile) {
        std::string why;
        std::optional<SettingsFile> chosen = request.chooseFile(*report.printer, why);
        if (!chosen) {
            return fail(kUsageError, why);
        }
        if (chosen->family && *chosen->family != family) {
            return fail(kUsageError, otherFamily(*chosen, family));
        }
        file = std::move(*chosen);
    }
    SettingsDocument wanted = file.For(family);

    std::optional<SettingsDocument> before;
    if (request.backup || request.dryRun) {
        progress.SetStage("Reading the settings");
        operations::ReadResult read = operations::ReadNativeStatus(port, family, progress);
        if (!read.ok) {
            reporter.Message(platform::Severity::Warning,
                             operations::ReadFailureMessage(family, read.failedItem));
            return fail(kPrinterError, "the printer's settings could not be read; nothing written");
        }
        SettingsDocument current = DocumentFromStatus(family, read.status);
        report.changes = Differences(wanted, current, read.status.powerSave.has_value());
        if (request.backup && !request.dryRun) {
            current.printer = report.printer;
            // A backup never replaces another, also not one that another program or thread
            // makes in the same second.
            std::string wanted =
                (std::filesystem::path(request.backupDir) /
                 ("backup-" + FileNamePart(session.Target()) + "-" + Stamp() + ".json"))
                    .string();
            std::string error;
            if (!platform::WriteNewFile(wanted, SettingsJson(current), report.backupPath, error)) {
                return fail(kUsageError, "no backup, so nothing written: " + error);
            }
        }
        before = std::move(current);
    }
    if (request.beforeWrite && report.changes && !request.dryRun) {
        request.beforeWrite(*report.changes);
    }

    operations::StatusWrite write = operations::StatusToWrite(
        family, wanted.values, operations::CodePageSelection(family, wanted.values.switchPage1),
        identity.modelText);
    if (request.dryRun) {
        report.frames = PlannedFrames(family, write);
        return report;
    }
    WriteAndVerify(port, family, write, wanted, request, report, reporter, progress);
    if (request.history != nullptr) {
        HistoryRecord record = RecordOf(session, request, report, before, wanted);
        std::string error;
        if (request.history->Add(record, error)) {
            report.historyFile = record.file;
        } else {
            reporter.Message(platform::Severity::Warning,
                             "The write was not recorded in the history: " + error);
        }
    }
    return report;
}

}  // namespace corvane::service
