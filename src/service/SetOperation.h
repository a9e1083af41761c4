#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "operations/NativeStatus.h"
#include "platform/Reporter.h"
#include "service/Differences.h"
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
};

// Set Status on one printer as the window runs it, after a connect and the manager's
// identification: the printer's settings are read and saved as a backup first, the file's
// settings are written, and the printer is read again and compared. A dry run reads but sends
// nothing that changes a setting.
SetReport SetPrinter(PrinterSession& session, const SetRequest& request,
                     platform::Reporter& reporter);

}  // namespace corvane::service
