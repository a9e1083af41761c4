#include "service/History.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <system_error>

#include "platform/CarefulFile.h"
#include "platform/UserFolders.h"
#include "product/LineModeSettings.h"
#include "service/PortTarget.h"

namespace corvane::service {

namespace {

using json = nlohmann::ordered_json;
namespace fs = std::filesystem;

constexpr char kHistoryFormat[] = "corvane-history";
constexpr int kHistoryVersion = 1;
constexpr char kRecordExtension[] = ".json";
// A record holds two settings documents at most; anything far larger is no record.
constexpr std::uint64_t kLargestRecord = 256 * 1024;

// The time now in UTC to the microsecond: "2026-12-09T01:26:12.123456Z" for the record and
// "20261209T012612.123456Z" for its file, whose names then sort as the records were made.
std::pair<std::string, std::string> Stamps() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto micros = duration_cast<microseconds>(now.time_since_epoch()).count() % 1000000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, ".%06lldZ", static_cast<long long>(micros));
    char shown[32];
    char named[32];
    std::strftime(shown, sizeof shown, "%Y-%m-%dT%H:%M:%S", &utc);
    std::strftime(named, sizeof named, "%Y%m%dT%H%M%S", &utc);
    return {std::string(shown) + fraction, std::string(named) + fraction};
}

json DocumentJson(const std::optional<SettingsDocument>& document) {
    if (!document) {
        return nullptr;
    }
    SettingsDocument settings = *document;
    // The record says where the settings came from.
    settings.printer.reset();
    return json::parse(SettingsJson(settings));
}

bool LoadDocument(const json& value, std::optional<SettingsDocument>& document,
                  std::string& error) {
    if (value.is_null()) {
        document.reset();
        return true;
    }
    SettingsDocument loaded;
    if (!LoadSettingsJson(value.dump(), loaded, error)) {
        return false;
    }
    document = std::move(loaded);
    return true;
}

// The member of an object, or null when it has none.
const json& Member(const json& object, const char* key) {
    static const json none;
    auto found = object.find(key);
    return found != object.end() ? *found : none;
}

std::string Text(const json& object, const char* key) {
    const json& value = Member(object, key);
    return value.is_string() ? value.get<std::string>() : "";
}

bool RecordFromJson(const std::string& text, HistoryRecord& record, std::string& error) {
    try {
        const json object = json::parse(text);
        if (!object.is_object() || Text(object, "format") != kHistoryFormat) {
            error = "not a history record";
            return false;
        }
        record.time = Text(object, "time");
        record.program = Text(object, "program");
        record.action = Text(object, "action");
        record.port = Text(object, "port");
        record.device = Text(object, "device");
        record.model = Text(object, "model");
        record.firmware = Text(object, "firmware");
        if (!LoadDocument(Member(object, "before"), record.before, error) ||
            !LoadDocument(Member(object, "written"), record.written, error)) {
            return false;
        }
        const json& values = Member(object, "values");
        if (values.is_object()) {
            for (const auto& [key, value] : values.items()) {
                record.values.emplace_back(key, value.get<std::string>());
            }
        }
        record.complete =
            Member(object, "complete").is_boolean() && Member(object, "complete").get<bool>();
        const json& verified = Member(object, "verified");
        if (verified.is_boolean()) {
            record.verified = verified.get<bool>();
        }
        return true;
    } catch (const json::exception& failure) {
        error = std::string("not a history record: ") + failure.what();
        return false;
    }
}

// The record files of the folder, oldest first; none when it does not exist yet.
std::vector<fs::path> RecordFiles(const std::string& folder) {
    std::vector<fs::path> files;
    std::error_code failed;
    for (fs::directory_iterator entry(folder, failed), end; !failed && entry != end;
         entry.increment(failed)) {
        const std::string name = entry->path().filename().string();
        // Hidden names are a writer's temporary files.
        if (!name.starts_with(".") && name.ends_with(kRecordExtension)) {
            files.push_back(entry->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::string HistoryJson(const HistoryRecord& record) {
    json object;
    object["format"] = kHistoryFormat;
    object["formatVersion"] = kHistoryVersion;
    object["time"] = record.time;
    object["program"] = record.program;
    object["action"] = record.action;
    object["port"] = record.port;
    object["device"] = record.device;
    object["model"] = record.model;
    object["firmware"] = record.firmware;
    object["before"] = DocumentJson(record.before);
    if (record.written) {
        object["written"] = DocumentJson(record.written);
    }
    if (!record.values.empty()) {
        json values = json::object();
        for (const auto& [key, value] : record.values) {
            values[key] = value;
        }
        object["values"] = values;
    }
    object["complete"] = record.complete;
    object["verified"] = record.verified ? json(*record.verified) : json();
    // Printer texts are valid UTF-8 already (base::ShownText); a port name given in another
    // encoding keeps its record rather than losing it.
    return object.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

bool SamePort(const std::string& one, const std::string& other) {
    PortTarget first;
    PortTarget second;
    std::string error;
    if (!ParsePortTarget(one, first, error) || !ParsePortTarget(other, second, error)) {
        return one == other;
    }
    return first.portName == second.portName && first.device == second.device;
}

std::optional<History> History::ForUser(std::string& error) {
    std::string folder;
    if (!platform::UserStateFolder(folder, error)) {
        return std::nullopt;
    }
    return History((fs::path(folder) / "history").string());
}

bool History::Add(HistoryRecord& record, std::string& error) const {
    auto [shown, named] = Stamps();
    if (record.time.empty()) {
        record.time = shown;
    }
    std::error_code failed;
    fs::create_directories(folder_, failed);
    if (failed) {
        error = "can't make the history folder " + folder_ + ": " + failed.message();
        return false;
    }
    const std::string wanted = (fs::path(folder_) / (named + kRecordExtension)).string();
    if (!platform::WriteNewFile(wanted, HistoryJson(record), record.file, error)) {
        return false;
    }
    // Another program may remove the same old files at the same moment; one that is gone
    // already is fine.
    std::vector<fs::path> files = RecordFiles(folder_);
    for (std::size_t i = 0; i + limit_ < files.size(); ++i) {
        fs::remove(files[i], failed);
    }
    return true;
}

std::vector<HistoryRecord> History::Records(std::vector<std::string>& problems) const {
    std::vector<HistoryRecord> records;
    for (const fs::path& file : RecordFiles(folder_)) {
        platform::FileRead read = platform::ReadRegularFile(file.string(), kLargestRecord);
        HistoryRecord record;
        std::string error;
        if (!read.ok) {
            // Removed by another program since the folder was listed.
            if (!fs::exists(file)) {
                continue;
            }
            problems.push_back(read.error);
        } else if (!RecordFromJson(read.content, record, error)) {
            problems.push_back(file.string() + ": " + error);
        } else {
            record.file = file.string();
            records.push_back(std::move(record));
        }
    }
    return records;
}

HistoryRecord WindowRecord(const link::PrinterPort& port, std::string action) {
    HistoryRecord record;
    record.program = "corvane";
    record.action = std::move(action);
    record.port = port.PortName();
    if (const platform::Device* device = port.Device()) {
        record.device = device->Name();
    }
    return record;
}

void KeepRecord(const History* history, HistoryRecord record, platform::Reporter& reporter) {
    std::string error;
    if (history != nullptr && !history->Add(record, error)) {
        reporter.Diagnostic("The write was not recorded in the history: " + error,
                            platform::DiagnosticKind::Problem);
    }
}

void KeepValuesRecord(const History* history, const link::PrinterPort& port, std::string action,
                      std::vector<std::pair<std::string, std::string>> values, bool complete,
                      platform::Reporter& reporter) {
    if (history == nullptr) {
        return;
    }
    HistoryRecord record = WindowRecord(port, std::move(action));
    record.values = std::move(values);
    record.complete = complete;
    KeepRecord(history, std::move(record), reporter);
}

std::vector<std::pair<std::string, std::string>> LineModeValues(
    std::span<const operations::LineModeChoice> choices) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& choice : choices) {
        const product::LineModeSettingTexts& texts = product::LineModeTexts(choice.setting);
        const bool known =
            choice.choice >= 0 && static_cast<std::size_t>(choice.choice) < texts.choices.size();
        values.emplace_back(
            std::string(texts.name),
            known ? std::string(texts.choices[static_cast<std::size_t>(choice.choice)])
                  : std::to_string(choice.choice));
    }
    return values;
}

}  // namespace corvane::service
