#include "cli/Commands.h"

#include <array>

#include "cli/CommandRunners.h"

namespace corvane::cli {

namespace {

using protocol::PrinterModel;
using startup::CliCommand;
using startup::CliOptions;

// How a command reaches printers: not at all; one printer, opened and started as the row's needs
// ask before the runner; or through a service call of the runner's that connects by itself.
enum class Reach { NoPrinter, StartedPrinter, ByRunner };

struct CommandRow {
    CliCommand command;
    const char* name;  // as the command line spells it
    Reach reach;
    service::PrinterNeeds needs;
    // What needs the printer's own emulation, for the refusal of a printer in the "Other" one.
    const char* nativeFor;
    // Refuses inputs before any port opens; empty when they are fine. Optional.
    std::string (*check)(const CliOptions& options);
    CommandRunner run;
};

constexpr service::PrinterNeeds kConnected{};
constexpr service::PrinterNeeds kIdentifiedWhenNative{.identity = true};
constexpr service::PrinterNeeds kNative{.nativeEmulation = true};
constexpr service::PrinterNeeds kNativeIdentified{.nativeEmulation = true, .identity = true};

// The option definitions of every command are in startup/CliOptions.cpp.
constexpr std::array kCommands = {
    CommandRow{CliCommand::Ports, "ports", Reach::NoPrinter, {}, "", nullptr, RunPorts},
    CommandRow{CliCommand::Identify, "identify", Reach::StartedPrinter, kIdentifiedWhenNative, "",
               nullptr, RunIdentify},
    CommandRow{CliCommand::Get, "get", Reach::StartedPrinter, kNativeIdentified, "get", nullptr,
               RunGet},
    CommandRow{CliCommand::Set, "set", Reach::ByRunner, {}, "", nullptr, RunSet},
    CommandRow{CliCommand::Deploy, "deploy", Reach::ByRunner, {}, "", nullptr, RunDeploy},
    CommandRow{CliCommand::PrintStatus, "print-status", Reach::StartedPrinter,
               kIdentifiedWhenNative, "", nullptr, RunPrintStatus},
    CommandRow{CliCommand::SelfTest, "self-test", Reach::StartedPrinter, kNative, "self-test",
               nullptr, RunSelfTest},
    CommandRow{CliCommand::AlignmentPattern, "alignment pattern", Reach::StartedPrinter, kNative,
               "alignment", nullptr, RunAlignmentPrint},
    CommandRow{CliCommand::AlignmentVerify, "alignment verify", Reach::StartedPrinter, kNative,
               "alignment", nullptr, RunAlignmentPrint},
    CommandRow{CliCommand::AlignmentStore, "alignment store", Reach::StartedPrinter, kNative,
               "alignment", nullptr, RunAlignmentStore},
    CommandRow{CliCommand::LineModeSet, "linemode set", Reach::StartedPrinter, kConnected, "",
               LineModeChoicesProblem, RunLineModeSet},
    CommandRow{CliCommand::LineModeSpeed, "linemode speed", Reach::StartedPrinter, kConnected, "",
               nullptr, RunLineModeSpeed},
    CommandRow{CliCommand::LineModeList,
               "linemode list",
               Reach::NoPrinter,
               {},
               "",
               nullptr,
               RunLineModeList},
    CommandRow{CliCommand::Convert, "convert", Reach::NoPrinter, {}, "", nullptr, RunConvert},
};

const CommandRow* RowOf(CliCommand command) {
    for (const auto& row : kCommands) {
        if (row.command == command) {
            return &row;
        }
    }
    return nullptr;
}

// The one start of every command: the inputs checked, then the printer opened and started.
CommandResult Dispatch(const CliOptions& options, TerminalReporter& reporter,
                       std::ostream& progress) {
    const CommandRow* row = RowOf(options.command);
    if (row == nullptr) {
        return Refused(reporter, "name a command; corvane-cli --help lists them");
    }
    if (row->reach != Reach::NoPrinter && options.emulation != sim::Emulation::Native &&
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
    CommandCall call{options, reporter, progress};
    std::unique_ptr<service::PrinterSession> printer;
    if (row->reach == Reach::StartedPrinter) {
        CommandResult failure;
        printer = OpenPrinter(call, failure);
        if (!printer) {
            return failure;
        }
        service::StartOutcome started = printer->Start(ChoiceOf(options), row->needs);
        if (started.step == service::StartStep::NotNative) {
            return Refused(reporter, std::string(row->nativeFor) +
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

std::optional<PrinterModel> FamilyOf(const std::optional<sim::Model>& model) {
    if (!model) {
        return std::nullopt;
    }
    return sim::IsKrt310Family(*model) ? PrinterModel::Krt310Family : PrinterModel::Krt620;
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
    return {options.simulate, options.emulation, options.traceFile};
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

int RunCommand(const CliOptions& options, std::ostream& out, std::ostream& err) {
    TerminalReporter reporter(options.json ? nullptr : &err, options.verbose);
    CommandResult result = Dispatch(options, reporter, options.json ? err : out);
    if (!options.json) {
        out << result.text << std::flush;
        return result.exitStatus;
    }
    const CommandRow* row = RowOf(options.command);
    nlohmann::ordered_json output;
    output["command"] = row != nullptr ? row->name : "";
    output["exitStatus"] = result.exitStatus;
    output.update(result.json);
    output["messages"] = MessagesJson(reporter.Messages());
    if (!reporter.Problems().empty()) {
        output["problems"] = reporter.Problems();
    }
    out << output.dump(2) << std::endl;
    return result.exitStatus;
}

}  // namespace corvane::cli
