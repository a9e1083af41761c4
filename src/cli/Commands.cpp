#include "cli/Commands.h"

#include <array>
#include <string_view>

#include "base/VisibleText.h"
#include "cli/CommandRunners.h"
#include "platform/LeftHeld.h"
#include "service/UnexpectedError.h"

namespace corvane::cli {

namespace {

using protocol::PrinterModel;
using startup::CliCommand;
using startup::CliOptions;

// What a command needs of a printer before its runner: none, one opened and started as far as
// the value asks, or the runner's service call connects by itself (ByRunner).
enum class Printer { None, ByRunner, Connected, IdentifiedWhenNative, Native, NativeIdentified };

struct CommandRow {
    CliCommand command;
    std::string_view name;  // as the command line spells it
    Printer printer;
    // Refuses inputs before any port opens; empty when they are fine. Optional.
    std::string (*check)(const CliOptions& options);
    CommandRunner run;
};

using enum CliCommand;

// The option definitions of every command are in startup/CliOptions.cpp.
constexpr std::array kCommands = {
    CommandRow{Ports, "ports", Printer::None, nullptr, RunPorts},
    CommandRow{Identify, "identify", Printer::IdentifiedWhenNative, nullptr, RunIdentify},
    CommandRow{Get, "get", Printer::NativeIdentified, nullptr, RunGet},
    CommandRow{Set, "set", Printer::ByRunner, nullptr, RunSet},
    CommandRow{Deploy, "deploy", Printer::ByRunner, nullptr, RunDeploy},
    CommandRow{PrintStatus, "print-status", Printer::IdentifiedWhenNative, nullptr, RunPrintStatus},
    CommandRow{SelfTest, "self-test", Printer::Native, nullptr, RunSelfTest},
    CommandRow{AlignmentPattern, "alignment pattern", Printer::Native, nullptr, RunAlignmentPrint},
    CommandRow{AlignmentVerify, "alignment verify", Printer::Native, nullptr, RunAlignmentPrint},
    CommandRow{AlignmentStore, "alignment store", Printer::Native, nullptr, RunAlignmentStore},
    CommandRow{LineModeSet, "linemode set", Printer::Connected, LineModeChoicesProblem,
               RunLineModeSet},
    CommandRow{LineModeSpeed, "linemode speed", Printer::Connected, nullptr, RunLineModeSpeed},
    CommandRow{LineModeList, "linemode list", Printer::None, nullptr, RunLineModeList},
    CommandRow{Convert, "convert", Printer::None, nullptr, RunConvert},
    CommandRow{Scan, "scan", Printer::None, nullptr, RunScan},
    CommandRow{History, "history", Printer::None, nullptr, RunHistory},
    CommandRow{Undo, "undo", Printer::ByRunner, nullptr, RunUndo},
    CommandRow{Diff, "diff", Printer::ByRunner, nullptr, RunDiff},
};

service::PrinterNeeds NeedsOf(Printer printer) {
    return {.nativeEmulation = printer == Printer::Native || printer == Printer::NativeIdentified,
            .identity =
                printer == Printer::IdentifiedWhenNative || printer == Printer::NativeIdentified};
}

const CommandRow* RowOf(CliCommand command) {
    for (const auto& row : kCommands) {
        if (row.command == command) {
            return &row;
        }
    }
    return nullptr;
}

// What an exception that escaped a command comes to: told like any failure, with the program's
// own exit status.
CommandResult Unexpected(TerminalReporter& reporter, const std::string& why) {
    reporter.Message(platform::Severity::Warning, why);
    return Failed(service::kInternalError, why);
}

// The one start of every command: the inputs checked, then the printer opened and started.
CommandResult Dispatch(const CliOptions& options, TerminalReporter& reporter,
                       std::ostream& progress, TerminalProgress& shown) {
    const CommandRow* row = RowOf(options.command);
    if (row == nullptr) {
        return Refused(reporter, "name a command; corvane-cli --help lists them");
    }
    if (row->printer != Printer::None && options.emulation != sim::Emulation::Native &&
        !options.model) {
        return Refused(reporter,
                       "--emulation other needs --model: a printer in the \"Other\" "
                       "emulation cannot be asked for its model name");
    }
    if (row->check != nullptr) {
        std::string problem = row->check(options);
        if (!problem.empty()) {
            return Refused(reporter, problem);
        }
    }
    CommandCall call{options, reporter, progress, shown};
    std::unique_ptr<service::PrinterSession> printer;
    if (row->printer != Printer::None && row->printer != Printer::ByRunner) {
        CommandResult failure;
        printer = OpenPrinter(call, failure);
        if (!printer) {
            return failure;
        }
        service::StartOutcome started = printer->Start(ChoiceOf(options), NeedsOf(row->printer));
        if (started.step == service::StartStep::NotNative) {
            // "get", "self-test" or "alignment".
            std::string_view what = row->name.substr(0, row->name.find(' '));
            return Refused(reporter, std::string(what) +
                                         " needs a printer in its own emulation; for the "
                                         "\"Other\" emulation use print-status and linemode");
        }
        if (!started.Started()) {
            return Failed(started.exitStatus, started.failure);
        }
        call.printer = printer.get();
    }
    return row->run(call);
}

}  // namespace

std::optional<PrinterModel> FamilyOf(const std::optional<product::Model>& model) {
    if (!model) {
        return std::nullopt;
    }
    return model->family;
}

service::ConnectChoice ChoiceOf(const CliOptions& options) {
    service::ConnectChoice choice;
    choice.family = FamilyOf(options.model);
    choice.emulation = options.emulation == sim::Emulation::Native ? protocol::Emulation::Native
                                                                   : protocol::Emulation::Other;
    choice.line = {options.baudRate, options.dataBits, options.parity, options.stopBits};
    return choice;
}

service::PlatformRequest PlatformOf(const CliOptions& options) {
    service::PlatformRequest request;
    request.simulate = options.simulate;
    request.emulation = options.emulation;
    request.traceFile = options.traceFile;
    return request;
}

std::unique_ptr<service::PrinterSession> OpenPrinter(CommandCall& call, CommandResult& refusal) {
    const CliOptions& options = call.options;
    std::string target = options.ports.empty() ? std::string() : options.ports.front();
    if (options.ports.size() > 1) {
        refusal = Refused(call.reporter, "give one --port; deploy takes several");
        return nullptr;
    }
    if (target.empty()) {
        // Without hardware any port reaches a printer; on this machine COM1 may be the
        // console, so it is never chosen for the user.
        if (!options.simulate) {
            refusal = Refused(call.reporter, "give the printer's port with --port");
            return nullptr;
        }
        target = "COM1";
    }
    std::string error;
    auto printer = service::PrinterSession::Open(target, PlatformOf(options), call.reporter, error);
    if (!printer) {
        refusal = Refused(call.reporter, error);
    }
    return printer;
}

int RunCommand(const CliOptions& options, std::ostream& out, std::ostream& err,
               bool errIsTerminal) {
    TerminalReporter reporter(options.json ? nullptr : &err, options.verbose);
    TerminalProgress shown(errIsTerminal && !options.json && !options.quiet ? &err : nullptr);
    reporter.ClearFirst(&shown);
    CommandResult result;
    try {
        // A printer's session ends, and gives its queues back, before anything is caught.
        result = Dispatch(options, reporter, options.json ? err : out, shown);
    } catch (...) {
        result = Unexpected(reporter, service::UnexpectedError(std::current_exception()));
    }
    shown.Clear();
    // What could not be given back was named as it happened; the status says so too.
    if (result.exitStatus == service::kSuccess && !platform::LeftHeld::Lines().empty()) {
        result.exitStatus = service::kLeftHeld;
    }
    if (!options.json) {
        out << base::TerminalText(result.text) << std::flush;
        return result.exitStatus;
    }
    const CommandRow* row = RowOf(options.command);
    nlohmann::ordered_json output;
    output["command"] = row != nullptr ? std::string(row->name) : "";
    output["exitStatus"] = result.exitStatus;
    output.update(result.json);
    output["messages"] = MessagesJson(reporter.Messages());
    if (!reporter.Problems().empty()) {
        output["problems"] = reporter.Problems();
    }
    // Every text in it is valid UTF-8 already; a path given in some other encoding shows its
    // stray bytes as U+FFFD rather than ending the program.
    out << output.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
        << std::endl;
    return result.exitStatus;
}

}  // namespace corvane::cli
