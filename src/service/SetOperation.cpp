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
                     platform::Reporter& reporter) {
    SetReport report;
    auto fail = [&](int status, std::string why) {
        report.exitStatus = status;
        report.failure = std::move(why);
        return report;
    };
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
        return fail(kUsageError, request.file.path + " holds settings for the " +
                                     std::string(FamilyName(*request.file.family)) +
                                     "; the printer is of the " + std::string(FamilyName(family)) +
                                     " family");
    }
    SettingsDocument wanted = request.file.For(family);
    link::PrinterPort& port = session.Port();
    operations::NoProgress progress;

    if (!session.Identify()) {
        return fail(kPrinterError, "the printer was not accepted");
    }
    const operations::PrinterIdentity& identity = session.Identity();
    report.printer = session.Info();

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

}  // namespace corvane::service
