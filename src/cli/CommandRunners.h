#pragma once

// The runners of corvane-cli's commands: each maps its options to a call of the service layer
// and what came back to text and JSON. The command table (Commands.cpp) names them.

#include <optional>
#include <ostream>
#include <string>

#include "cli/CommandResult.h"
#include "cli/TerminalProgress.h"
#include "cli/TerminalReporter.h"
#include "protocol/PrinterModel.h"
#include "service/History.h"
#include "service/PrinterSession.h"
#include "service/SetOperation.h"
#include "startup/CliOptions.h"

namespace corvane::cli {

// What a runner works with.
struct CommandCall {
    const startup::CliOptions& options;
    TerminalReporter& reporter;
    // Where deploy writes a line as each printer ends.
    std::ostream& progress;
    // The progress line on standard error, which shows nothing unless it is a terminal.
    TerminalProgress& shown;
    // The printer, connected as the command's row asks; null for a command that opens none or
    // opens its own.
    service::PrinterSession* printer = nullptr;
};

using CommandRunner = CommandResult (*)(CommandCall& call);

// The printer that the options name, opened but not connected; null after the refusal.
std::unique_ptr<service::PrinterSession> OpenPrinter(CommandCall& call, CommandResult& refusal);

// The family that --model names; empty for the automatic choice.
std::optional<protocol::PrinterModel> FamilyOf(const std::optional<product::Model>& model);
// How to connect, from the options.
service::ConnectChoice ChoiceOf(const startup::CliOptions& options);
// Where the printers are simulated or traced, from the options.
service::PlatformRequest PlatformOf(const startup::CliOptions& options);

// The line-mode window of the printer in the "Other" emulation; null after the refusal when it
// has none.
std::optional<service::LineModeWindow> LineModeWindowOf(service::PrinterSession& printer,
                                                        TerminalReporter& reporter,
                                                        CommandResult& refusal);

CommandResult RunPorts(CommandCall& call);
CommandResult RunIdentify(CommandCall& call);
CommandResult RunGet(CommandCall& call);
CommandResult RunSet(CommandCall& call);
CommandResult RunDeploy(CommandCall& call);
CommandResult RunPrintStatus(CommandCall& call);
CommandResult RunSelfTest(CommandCall& call);
CommandResult RunAlignmentPrint(CommandCall& call);
CommandResult RunAlignmentStore(CommandCall& call);
CommandResult RunLineModeSet(CommandCall& call);
CommandResult RunLineModeSpeed(CommandCall& call);
CommandResult RunLineModeList(CommandCall& call);
CommandResult RunConvert(CommandCall& call);
CommandResult RunScan(CommandCall& call);
CommandResult RunHistory(CommandCall& call);
CommandResult RunUndo(CommandCall& call);
CommandResult RunDiff(CommandCall& call);

// The user's history of writes; empty after a warning that writes go unrecorded.
std::optional<service::History> UserHistory(CommandCall& call);

// How set and undo write, from the options, recorded in history (null: not recorded).
service::SetRequest SetRequestOf(const startup::CliOptions& options, service::SettingsFile file,
                                 const service::History* history);
// What set or undo came to, as text and as --json gives it; the text leaves out the changes
// when they were shown before the write.
CommandResult SetOutcome(CommandCall& call, const service::SetReport& report, bool changesShown);
// Changes as "  key: found -> wanted" lines.
std::string ChangesText(const std::vector<service::Difference>& changes);

inline constexpr char kOnlyLineModeSpeed[] =
    "a KRT-310 family printer that answers 03 takes only linemode speed";

// Refuses line-mode choices that do not read before any port opens; empty when they read.
std::string LineModeChoicesProblem(const startup::CliOptions& options);

}  // namespace corvane::cli
