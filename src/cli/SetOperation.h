#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/Session.h"
#include "cli/SettingsDocument.h"
#include "operations/NativeStatus.h"
#include "platform/Reporter.h"

namespace corvane::cli {

// A setting whose value is not the one wanted.
struct Difference {
    std::string key;
    std::string wanted;
    std::string found;
};

// The settings of a document that differ from another's: every setting the first does not leave
// at "No Change", compared as texts. Power save is compared only when the printer told it.
std::vector<Difference> Differences(const SettingsDocument& wanted, const SettingsDocument& found,
                                    bool powerSaveTold);

// What Get Status read, as a document of the family.
SettingsDocument DocumentFromStatus(protocol::PrinterModel family,
                                    const operations::NativeStatus& status);

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
SetReport SetPrinter(Session& session, const SetRequest& request, platform::Reporter& reporter);

// A report as the --json output gives it.
nlohmann::ordered_json SetReportJson(const SetReport& report);

// The exit status of a connect that did not succeed.
int ConnectFailureStatus(const operations::ConnectResult& result);

}  // namespace corvane::cli
