#pragma once

// The command line of corvane-cli: one subcommand per printer operation, with the options they
// share.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "product/Models.h"
#include "product/SettingLists.h"
#include "sim/Model.h"

namespace corvane::startup {

enum class CliCommand {
    None,
    Ports,
    Identify,
    Get,
    Set,
    Deploy,
    PrintStatus,
    SelfTest,
    AlignmentPattern,
    AlignmentVerify,
    AlignmentStore,
    LineModeSet,
    LineModeSpeed,
    LineModeList,
    Convert,
    Scan,
    History,
    Undo,
    Diff,
};

// How many printers deploy works on at once unless told, and at most: enough to keep a fleet
// busy while each waits on its printer, few enough for the print spooler's client limit.
inline constexpr int kDefaultDeployJobs = 16;
inline constexpr int kMostDeployJobs = 64;

struct CliOptions {
    CliCommand command = CliCommand::None;

    // Where the printer is: a port name of the window ("COM3", "LPT1:", "USB"), a device path,
    // or NAME=DEVICE; deploy has several.
    std::vector<std::string> ports;
    // Empty: chosen from the model name the printer reports.
    std::optional<product::Model> model;
    // The printer's emulation; with --simulate also the simulated printer's.
    sim::Emulation emulation = sim::Emulation::Native;
    // The serial line, with the connection window's defaults.
    std::uint32_t baudRate = product::kDefaultLine.speed;
    std::uint32_t dataBits = product::kDefaultLine.dataBits;
    std::uint32_t parity = platform::kParityNone;
    std::uint32_t stopBits = platform::kStopBitsOne;
    std::string traceFile;  // empty: no trace
    // The simulated printer behind every port.
    std::optional<sim::Model> simulate;
    bool json = false;
    // Shows no progress on standard error.
    bool quiet = false;
    bool verbose = false;
    bool help = false;
    bool version = false;

    // get: where to save the settings (.sts or JSON); empty prints them.
    std::string outputFile;
    // set, deploy, convert: the settings file (.sts or JSON).
    std::string settingsFile;
    bool dryRun = false;
    bool noBackup = false;
    bool noVerify = false;
    // Moves this computer's serial line to the serial settings written, as the window's "Memory
    // Switch On" does.
    bool retuneLine = false;
    std::string backupDir = ".";
    // deploy: printers worked on at once.
    int jobs = kDefaultDeployJobs;
    // convert: the file to write.
    std::string convertOutput;
    // diff: the settings files compared, besides any printers given with --port.
    std::vector<std::string> diffFiles;

    int selfTestPage = 1;
    // Rows [A] to [D], -3 to 3.
    std::array<int, 4> alignmentOffsets{};
    // linemode set: SETTING=CHOICE, in the order given.
    std::vector<std::string> lineModeChoices;
    std::uint32_t lineModeSpeed = 0;

    // ports: where the system describes and keeps its USB printers; tests point these elsewhere.
    std::string sysfsRoot = "/sys";
    std::string devRoot = "/dev";
};

struct CliParseResult {
    bool ok = false;
    CliOptions options;
    std::string error;  // one line for the user when not ok
    std::string usage;  // the help of the subcommand the line names, or of the program
};

// Reads the arguments after the program name; common options may come before or after the
// subcommand. --model names one of the models.
CliParseResult ParseCliOptions(std::span<const std::string> arguments,
                               std::span<const product::Model> models = product::Models());

// The product's row of the model a simulated printer stands in for.
std::optional<product::Model> ProductModel(sim::Model simulated);

}  // namespace corvane::startup
