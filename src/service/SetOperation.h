#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "operations/NativeStatus.h"
#include "operations/Progress.h"
#include "platform/Reporter.h"
#include "service/Differences.h"
#include "service/History.h"
#include "service/PrinterSession.h"
#include "service/SettingsFile.h"

namespace corvane::service {

// The frames Set Status would send for these settings, in order, worked out on a virtual line
// with nothing attached; no device is touched.
std::vector<std::vector<std::uint8_t>> PlannedFrames(protocol::PrinterModel family,
                                                     const operations::StatusWrite& write);

struct SetRequest {
    SettingsFile file;
    ConnectChoice choice;
    bool dryRun = false;
    bool backup = true;
    bool verify = true;
    bool retuneLine = false;
    std::string backupDir = ".";
    // Where the write is recorded, as which program's action; null records nothing.
    const History* history = nullptr;
    std::string program = "corvane-cli";
    std::string action = "set";
    // Chooses the settings once the printer is identified, in place of file; empty with why
    // stops before anything is written. Optional.
    std::function<std::optional<SettingsFile>(const PrinterInfo& printer, std::string& why)>
        chooseFile;
    // Told what the write will change, after the backup and before anything is written.
    // Optional.
    std::function<void(const std::vector<Difference>& changes)> beforeWrite;
};

struct SetReport {
    int exitStatus = 0;
    std::string failure;  // why it failed, in one line
    std::optional<PrinterInfo> printer;
    std::string backupPath;
    // Settings that the file changes, against what the printer had before.
    std::optional<std::vector<Difference>> changes;
    std::vector<std::vector<std::uint8_t>> frames;  // dry run only
    bool written = false;
    bool verified = false;
    std::vector<Difference> mismatches;
    std::string historyFile;  // the record of the write
};

// Set Status on one printer as the window runs it, after a connect and the manager's
// identification: the printer's settings are read and saved as a backup first, the file's
// settings are written, and the printer is read again and compared. A dry run reads but sends
// nothing that changes a setting. A write, also one that failed, is recorded in the history
// the request names. Progress is shown stage by stage where one is given.
SetReport SetPrinter(PrinterSession& session, const SetRequest& request,
                     platform::Reporter& reporter, operations::Progress* progress = nullptr);

}  // namespace corvane::service
