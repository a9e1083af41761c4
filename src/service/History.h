#pragma once

// What was written to which printer, and what it held before: a record per write, kept in the
// user's state folder, so that a technician can see what changed and write the old settings
// back. Each record is a JSON file of its own, named by its time, created with
// platform::WriteNewFile: two threads or two programs that write at the same moment make two
// files and never replace one, without a lock, and a reader sees whole records only. After each
// record the oldest beyond the last kHistoryLimit are removed.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "link/PrinterPort.h"
#include "operations/LineMode.h"
#include "platform/Reporter.h"
#include "service/SettingsDocument.h"

namespace corvane::service {

// Records kept; a record with both settings documents takes some 2.5 KB, so at most some 3 MB.
inline constexpr std::size_t kHistoryLimit = 1000;

// One write to a printer.
struct HistoryRecord {
    std::string time;     // in UTC, "2026-12-09T01:26:12.123456Z"; History::Add sets it when empty
    std::string program;  // "corvane" or "corvane-cli"
    std::string action;   // "Set Status", "set", "deploy", "undo", "line mode", "alignment"
    std::string port;     // as the user named it
    std::string device;   // the device opened, where known
    std::string model;
    std::string firmware;
    // The memory switch settings the printer held before, where they were read.
    std::optional<SettingsDocument> before;
    // The memory switch settings written.
    std::optional<SettingsDocument> written;
    // Other settings written (line mode, alignment): the setting and its value.
    std::vector<std::pair<std::string, std::string>> values;
    bool complete = false;         // everything went out
    std::optional<bool> verified;  // empty when not read back
    std::string file;              // where the record is kept
};

// The record as the history keeps it and --json shows it: one JSON object.
std::string HistoryJson(const HistoryRecord& record);

// Whether two texts name the same printer place (the port name and any device given).
bool SamePort(const std::string& one, const std::string& other);

// The history in one folder.
class History {
public:
    // Keeps the last limit records in folder.
    explicit History(std::string folder, std::size_t limit = kHistoryLimit)
        : folder_(std::move(folder)), limit_(limit) {}

    // The user's history, in the platform's state folder; empty with why when there is none.
    static std::optional<History> ForUser(std::string& error);

    const std::string& Folder() const { return folder_; }

    // Keeps a record, creating the folder as needed, then removes the oldest beyond the limit.
    // Safe from several threads and programs at once. False with why, naming the file.
    bool Add(HistoryRecord& record, std::string& error) const;

    // Every record, oldest first. A file that is not a record is left out and named in problems.
    std::vector<HistoryRecord> Records(std::vector<std::string>& problems) const;

private:
    std::string folder_;
    std::size_t limit_;
};

// A record of a write that the window made to the printer on port: the program, the port's name
// and the device open on it.
HistoryRecord WindowRecord(const link::PrinterPort& port, std::string action);

// Keeps a record where there is a history; one that cannot be kept is told as a problem
// diagnostic, as the window's work is done by then and no box should follow it.
void KeepRecord(const History* history, HistoryRecord record, platform::Reporter& reporter);

// Keeps the record of a window's write of settings other than the memory switches (line mode,
// alignment) where there is a history.
void KeepValuesRecord(const History* history, const link::PrinterPort& port, std::string action,
                      std::vector<std::pair<std::string, std::string>> values, bool complete,
                      platform::Reporter& reporter);

// Line-mode choices as a record's values, in the line-mode windows' words.
std::vector<std::pair<std::string, std::string>> LineModeValues(
    std::span<const operations::LineModeChoice> choices);

}  // namespace corvane::service
