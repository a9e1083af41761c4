// The commands on what was written and what printers hold: the history of writes, undoing the
// latest, and comparing two sets of settings.
#include <sstream>

#include "base/VisibleText.h"
#include "cli/CommandRunners.h"
#include "service/Differences.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;
using service::HistoryRecord;

// The records of the history, of one printer when --port names one; empty after the refusal.
std::optional<std::vector<HistoryRecord>> RecordsOf(CommandCall& call,
                                                    const service::History& history) {
    std::vector<std::string> problems;
    std::vector<HistoryRecord> records = history.Records(problems);
    for (const std::string& problem : problems) {
        call.reporter.Diagnostic(problem, platform::DiagnosticKind::Problem);
    }
    if (call.options.ports.empty()) {
        return records;
    }
    std::vector<HistoryRecord> ofPort;
    for (auto& record : records) {
        if (service::SamePort(record.port, call.options.ports.front())) {
            ofPort.push_back(std::move(record));
        }
    }
    return ofPort;
}

// "verified", "written", "read back otherwise" or "not all written".
std::string Outcome(const HistoryRecord& record) {
    if (!record.complete) {
        return "not all written";
    }
    if (!record.verified) {
        return "written";
    }
    return *record.verified ? "verified" : "reads back otherwise";
}

// What the record changed, as "  key: before -> written" lines.
std::string ChangesOf(const HistoryRecord& record) {
    if (record.written && record.before) {
        return ChangesText(service::Differences(*record.written, *record.before, true));
    }
    std::string text;
    if (record.written) {
        text += "  (the settings before were not read)\n";
        for (const auto& [key, value] : service::SettingTexts(*record.written)) {
            if (value != service::kNoChange) {
                text += "  " + key + ": " + value + "\n";
            }
        }
    }
    for (const auto& [key, value] : record.values) {
        text += "  " + key + ": " + value + "\n";
    }
    return text;
}

// A settings file made of a record's "before", for set to write.
service::SettingsFile BeforeOf(const HistoryRecord& record) {
    service::SettingsFile file;
    file.path = "the history record " + record.file;
    file.family = record.before->family;
    file.record = record.before->values;
    return file;
}

// One side of a diff: a settings file, or the printer on a port read as Get Status reads it.
struct Side {
    std::string name;
    std::optional<service::SettingsFile> file;
    std::optional<service::SettingsDocument> document;
};

bool ReadPrinterSide(CommandCall& call, const std::string& port, Side& side,
                     CommandResult& failure) {
    std::string error;
    auto printer =
        service::PrinterSession::Open(port, PlatformOf(call.options), call.reporter, error);
    if (!printer) {
        failure = Refused(call.reporter, error);
        return false;
    }
    service::StartOutcome started =
        printer->Start(ChoiceOf(call.options), {.nativeEmulation = true, .identity = true});
    if (started.step == service::StartStep::NotNative) {
        failure = Refused(call.reporter, "diff needs a printer in its own emulation");
        return false;
    }
    if (!started.Started()) {
        failure = Failed(started.exitStatus, started.failure);
        return false;
    }
    call.shown.SetStage("Reading the settings of " + port);
    operations::ReadResult read =
        operations::ReadNativeStatus(printer->Port(), printer->Family(), call.shown);
    call.shown.Clear();
    if (!read.ok) {
        call.reporter.Message(platform::Severity::Warning,
                              operations::ReadFailureMessage(printer->Family(), read.failedItem));
        failure = Failed(service::kPrinterError, "the settings of " + port + " could not be read");
        return false;
    }
    side.name = port + " (" + printer->Info().model + ")";
    side.document = service::DocumentFromStatus(printer->Family(), read.status);
    return true;
}

}  // namespace

std::optional<service::History> UserHistory(CommandCall& call) {
    std::string error;
    auto history = service::History::ForUser(error);
    if (!history) {
        call.reporter.Message(platform::Severity::Warning,
                              "Writes are not recorded in the history: " + error);
    }
    return history;
}

CommandResult RunHistory(CommandCall& call) {
    CommandResult result;
    if (call.options.ports.size() > 1) {
        return Refused(call.reporter, "give one --port, or none for every printer");
    }
    std::string error;
    auto history = service::History::ForUser(error);
    if (!history) {
        return Refused(call.reporter, error);
    }
    auto records = RecordsOf(call, *history);
    std::ostringstream text;
    json list = json::array();
    for (const auto& record : *records) {
        text << record.time.substr(0, 19) << "  " << record.program << " " << record.action << "  "
             << record.port << "  " << (record.model.empty() ? "-" : record.model) << " "
             << (record.firmware.empty() ? "" : record.firmware + "  ") << Outcome(record) << "\n"
             << ChangesOf(record);
        json entry = json::parse(service::HistoryJson(record));
        entry["file"] = record.file;
        list.push_back(entry);
    }
    if (records->empty()) {
        text << "No writes recorded" << (call.options.ports.empty() ? "" : " for that port")
             << " in " << history->Folder() << ".\n";
    }
    result.json["folder"] = history->Folder();
    result.json["records"] = list;
    result.text = text.str();
    return result;
}

CommandResult RunUndo(CommandCall& call) {
    CommandResult result;
    const startup::CliOptions& options = call.options;
    if (options.ports.size() != 1) {
        return Refused(call.reporter, "give the printer's port with --port");
    }
    auto history = UserHistory(call);
    if (!history) {
        return Failed(service::kUsageError, "there is no history to undo from");
    }
    auto records = RecordsOf(call, *history);
    auto printer = OpenPrinter(call, result);
    if (!printer) {
        return result;
    }
    service::SetRequest request = SetRequestOf(options, {}, &*history);
    request.action = "undo";
    request.backup = true;
    const std::string& port = options.ports.front();
    request.chooseFile = [&](const service::PrinterInfo& info,
                             std::string& why) -> std::optional<service::SettingsFile> {
        for (auto record = records->rbegin(); record != records->rend(); ++record) {
            if (record->model != info.model) {
                continue;
            }
            if (!record->before) {
                why = "the latest write to the " + info.model + " on " + port + " (" +
                      record->time + ") has no settings from before it to write back";
                return std::nullopt;
            }
            call.shown.Clear();
            call.progress << "Undoing " << record->program << " " << record->action << " of "
                          << record->time << " (" << record->file << ").\n"
                          << std::flush;
            return BeforeOf(*record);
        }
        why = "the history holds no write to a " + info.model + " on " + port;
        return std::nullopt;
    };
    // What will change is shown before anything is written.
    request.beforeWrite = [&call](const std::vector<service::Difference>& changes) {
        call.shown.Clear();
        call.progress << "Will change " << changes.size()
                      << (changes.size() == 1 ? " setting" : " settings")
                      << (changes.empty() ? "." : ":") << "\n"
                      << ChangesText(changes) << std::flush;
    };
    // The changes were shown before the write.
    return SetOutcome(call, service::SetPrinter(*printer, request, call.reporter, &call.shown),
                      true);
}

CommandResult RunDiff(CommandCall& call) {
    CommandResult result;
    const startup::CliOptions& options = call.options;
    if (options.diffFiles.size() + options.ports.size() != 2) {
        return Refused(call.reporter,
                       "give two settings to compare: files A B, or a file and --port, or two "
                       "--port");
    }
    std::vector<Side> sides;
    for (const std::string& path : options.diffFiles) {
        Side side;
        std::string error;
        service::SettingsFile file;
        if (!service::LoadSettingsFile(path, file, error)) {
            return Refused(call.reporter, error);
        }
        side.name = path;
        side.file = std::move(file);
        sides.push_back(std::move(side));
    }
    for (const std::string& port : options.ports) {
        Side side;
        if (!ReadPrinterSide(call, port, side, result)) {
            return result;
        }
        sides.push_back(std::move(side));
    }
    // A status file names no family: it takes that of the other side, or of --model.
    std::optional<protocol::PrinterModel> family = FamilyOf(options.model);
    for (const Side& side : sides) {
        auto own = side.document ? std::optional(side.document->family) : side.file->family;
        if (own && family && *own != *family) {
            return Refused(call.reporter, side.name + " holds settings for the " +
                                              std::string(service::FamilyName(*own)) +
                                              ", not for the " +
                                              std::string(service::FamilyName(*family)));
        }
        family = family ? family : own;
    }
    if (!family) {
        return Refused(call.reporter, "status files name no family: give --model");
    }
    for (Side& side : sides) {
        if (!side.document) {
            side.document = side.file->For(*family);
        }
    }
    auto differences = service::SettingDifferences(*sides[0].document, *sides[1].document);
    std::ostringstream text;
    json list = json::array();
    for (const auto& difference : differences) {
        text << "  " << difference.key << ": " << difference.wanted << " -> " << difference.found
             << "\n";
        list.push_back(
            {{"key", difference.key}, {"a", difference.wanted}, {"b", difference.found}});
    }
    const std::string header = "A: " + sides[0].name + "\nB: " + sides[1].name + "\n";
    if (differences.empty()) {
        result.text = header + "The same settings.\n";
    } else {
        result.text = header + std::to_string(differences.size()) +
                      (differences.size() == 1 ? " setting differs" : " settings differ") +
                      " from A to B:\n" + text.str();
        result.exitStatus = service::kSettingsDiffer;
    }
    result.json["a"] = sides[0].name;
    result.json["b"] = sides[1].name;
    result.json["family"] = std::string(service::FamilyName(*family));
    result.json["same"] = differences.empty();
    result.json["differences"] = list;
    return result;
}

}  // namespace corvane::cli
