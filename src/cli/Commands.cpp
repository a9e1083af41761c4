#include "cli/Commands.h"

#include <sstream>

#include "cli/Deploy.h"
#include "cli/ExitStatus.h"
#include "cli/LineModeChoices.h"
#include "cli/Ports.h"
#include "cli/PrinterPlatforms.h"
#include "cli/SetOperation.h"
#include "operations/Alignment.h"
#include "operations/Identity.h"
#include "operations/LineMode.h"
#include "operations/SelfTest.h"
#include "operations/StatusValues.h"
#include "platform/Trace.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;
using protocol::PrinterModel;
using startup::CliCommand;
using startup::CliOptions;

CommandResult Failed(int status, const std::string& why) {
    CommandResult result;
    result.exitStatus = status;
    result.json["error"] = why;
    result.text = "";
    return result;
}

// A refusal of the command line or an input: said on standard error, nothing sent.
CommandResult Refused(TerminalReporter& reporter, const std::string& why) {
    reporter.Message(platform::Severity::Warning, why);
    return Failed(kUsageError, why);
}

std::optional<PrinterModel> FamilyOf(const std::optional<product::Model>& model) {
    if (!model) {
        return std::nullopt;
    }
    return model->family;
}

ConnectChoice ChoiceOf(const CliOptions& options) {
    ConnectChoice choice;
    choice.family = FamilyOf(options.model);
    choice.emulation = options.emulation == sim::Emulation::Native ? protocol::Emulation::Native
                                                                   : protocol::Emulation::Other;
    choice.line = {options.baudRate, options.dataBits, options.parity, options.stopBits};
    return choice;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    return platform::TraceSink::Hex(bytes);
}

// One printer reached through the options: its platform, its session and how to connect.
class OnePrinter {
public:
    static std::unique_ptr<OnePrinter> Open(const CliOptions& options, TerminalReporter& reporter,
                                            CommandResult& refusal) {
        std::string target = options.ports.empty() ? std::string() : options.ports.front();
        if (options.ports.size() > 1) {
            refusal = Refused(reporter, "give one --port; deploy takes several");
            return nullptr;
        }
        if (target.empty()) {
            // Without hardware any port reaches a printer; on this machine COM1 may be the
            // console, so it is never chosen for the user.
            if (!options.simulate) {
                refusal = Refused(reporter, "give the printer's port with --port");
                return nullptr;
            }
            target = "COM1";
        }
        std::unique_ptr<OnePrinter> made(new OnePrinter());
        std::string error;
        if (!ParsePortTarget(target, made->target_, error)) {
            refusal = Refused(reporter, error);
            return nullptr;
        }
        made->platforms_ = PrinterPlatforms::Make(options, error);
        if (!made->platforms_) {
            refusal = Refused(reporter, error);
            return nullptr;
        }
        made->platform_ = made->platforms_->Next();
        made->session_ = std::make_unique<Session>(made->platform_->Get(), made->target_, reporter);
        made->choice_ = ChoiceOf(options);
        return made;
    }

    Session& Get() { return *session_; }
    const ConnectChoice& Choice() const { return choice_; }

    // Connects; false with the result to give when the printer was not accepted.
    bool Connect(CommandResult& failure) {
        operations::ConnectResult connected = session_->Connect(choice_);
        if (!connected.Connected()) {
            failure = Failed(ConnectFailureStatus(connected), "not connected");
            return false;
        }
        return true;
    }

private:
    OnePrinter() = default;

    PortTarget target_;
    std::unique_ptr<PrinterPlatforms> platforms_;
    std::unique_ptr<PrinterPlatform> platform_;
    std::unique_ptr<Session> session_;
    ConnectChoice choice_;
};

// The manager's identification before its exchanges; false after the messages when the printer
// is not accepted.
bool Identify(Session& session, TerminalReporter& reporter, operations::PrinterIdentity& identity) {
    operations::NoProgress progress;
    identity =
        operations::ReadPrinterIdentity(session.Port(), session.Family(), progress, reporter);
    if (identity.outcome == operations::IdentityOutcome::OtherModel) {
        reporter.Message(platform::Severity::Warning,
                         std::string(operations::kOtherCompanyProductMessage));
    }
    return identity.Accepted();
}

bool NeedsNative(Session& session, TerminalReporter& reporter, const std::string& what,
                 CommandResult& refusal) {
    if (session.Emulation() == protocol::Emulation::Native) {
        return true;
    }
    refusal = Refused(reporter, what +
                                    " needs a printer in its own emulation; for the \"Other\" "
                                    "emulation use print-status and linemode");
    return false;
}

std::string EmulationText(const Session& session) {
    if (session.Emulation() == protocol::Emulation::Native) {
        return "native";
    }
    return session.EmulationAnswer() == 2 ? "other (03)" : "other (02)";
}

CommandResult RunIdentify(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    auto printer = OnePrinter::Open(options, reporter, result);
    if (!printer || !printer->Connect(result)) {
        return result;
    }
    Session& session = printer->Get();
    result.json["port"] = session.Target().given;
    result.json["family"] = FamilyName(session.Family());
    result.json["emulation"] = EmulationText(session);
    std::ostringstream text;
    text << "Port:      " << session.Target().given << "\n"
         << "Family:    " << FamilyName(session.Family()) << "\n"
         << "Emulation: " << EmulationText(session) << "\n";
    if (session.Emulation() == protocol::Emulation::Native) {
        operations::PrinterIdentity identity;
        if (!Identify(session, reporter, identity)) {
            return Failed(kPrinterError, "the printer was not accepted");
        }
        result.json["maker"] = identity.makerText;
        result.json["model"] = identity.modelText;
        result.json["firmware"] = identity.firmwareText;
        result.json["language"] = identity.languageText;
        text << "Maker:     " << identity.makerText << "\n"
             << "Model:     " << identity.modelText << "\n"
             << "Firmware:  " << identity.firmwareText << "\n"
             << "Language:  " << identity.languageText << "\n";
    }
    result.text = text.str();
    return result;
}

CommandResult RunGet(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    auto printer = OnePrinter::Open(options, reporter, result);
    if (!printer || !printer->Connect(result)) {
        return result;
    }
    Session& session = printer->Get();
    if (!NeedsNative(session, reporter, "get", result)) {
        return result;
    }
    operations::PrinterIdentity identity;
    if (!Identify(session, reporter, identity)) {
        return Failed(kPrinterError, "the printer was not accepted");
    }
    operations::NoProgress progress;
    operations::ReadResult read =
        operations::ReadNativeStatus(session.Port(), session.Family(), progress);
    if (!read.ok) {
        reporter.Message(platform::Severity::Warning,
                         operations::ReadFailureMessage(session.Family(), read.failedItem));
        return Failed(kPrinterError, "the printer's settings could not be read");
    }
    reporter.Message(platform::Severity::Information, std::string(operations::kGetSuccessMessage));
    SettingsDocument document = DocumentFromStatus(session.Family(), read.status);
    document.printer = PrinterInfo{session.Target().given, identity.makerText, identity.modelText,
                                   identity.firmwareText, identity.languageText};
    std::string content = SettingsJson(document);
    if (options.outputFile.empty()) {
        result.json["settings"] = json::parse(content);
        result.text = content;
        return result;
    }
    std::string error;
    bool saved = false;
    if (operations::IsStatusFileName(options.outputFile)) {
        saved = operations::WriteStatusFile(options.outputFile, document.values, error);
    } else {
        saved = operations::WriteFileAtomically(
            options.outputFile,
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(content.data()),
                                          content.size()),
            error);
    }
    if (!saved) {
        return Refused(reporter, error);
    }
    result.json["output"] = options.outputFile;
    result.text = "Saved to " + options.outputFile + "\n";
    return result;
}

std::string FramesText(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::string text = "Frames that would go out:\n";
    for (const auto& frame : frames) {
        text += "  " + Hex(frame) + "  |" + platform::TraceSink::Printable(frame) + "|\n";
    }
    return text;
}

std::string SetReportText(const SetReport& report, bool dryRun) {
    std::ostringstream text;
    if (!report.backupPath.empty()) {
        text << "Backup saved to " << report.backupPath << "\n";
    }
    if (report.changes) {
        text << (dryRun ? "Would change " : "Changes ") << report.changes->size()
             << (report.changes->size() == 1 ? " setting" : " settings")
             << (report.changes->empty() ? "." : ":") << "\n";
        for (const auto& change : *report.changes) {
            text << "  " << change.key << ": " << change.found << " -> " << change.wanted << "\n";
        }
    }
    if (dryRun && !report.frames.empty()) {
        text << FramesText(report.frames) << "Dry run: nothing was written.\n";
    }
    if (report.written) {
        text << (report.verified ? "Written and read back the same.\n" : "Written.\n");
    }
    if (!report.mismatches.empty()) {
        text << "The printer reads back otherwise:\n";
        for (const auto& mismatch : report.mismatches) {
            text << "  " << mismatch.key << ": wrote " << mismatch.wanted << ", reads "
                 << mismatch.found << "\n";
        }
    }
    return text.str();
}

bool LoadSetFile(const CliOptions& options, TerminalReporter& reporter, SettingsFile& file,
                 CommandResult& refusal) {
    std::string error;
    if (options.settingsFile.empty()) {
        refusal = Refused(reporter, "give the settings FILE");
        return false;
    }
    if (!LoadSettingsFile(options.settingsFile, file, error)) {
        refusal = Refused(reporter, error);
        return false;
    }
    auto family = FamilyOf(options.model);
    if (family && file.family && *family != *file.family) {
        refusal = Refused(reporter, options.settingsFile + " holds settings for the " +
                                        std::string(FamilyName(*file.family)) +
                                        ", not for the --model given");
        return false;
    }
    return true;
}

SetRequest SetRequestOf(const CliOptions& options, SettingsFile file) {
    SetRequest request;
    request.file = std::move(file);
    request.choice = ChoiceOf(options);
    request.dryRun = options.dryRun;
    request.backup = !options.noBackup;
    request.verify = !options.noVerify;
    request.retuneLine = options.retuneLine;
    request.backupDir = options.backupDir;
    return request;
}

CommandResult RunSet(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    SettingsFile file;
    if (!LoadSetFile(options, reporter, file, result)) {
        return result;
    }
    if (options.dryRun && options.ports.empty() && !options.simulate) {
        // Without a printer the frames are all a dry run can show; nothing is opened.
        auto family = file.family ? file.family : FamilyOf(options.model);
        if (!family) {
            return Refused(reporter,
                           "a status file names no family: give --model, or --port to "
                           "ask the printer");
        }
        SettingsDocument wanted = file.For(*family);
        auto write = operations::StatusToWrite(
            *family, wanted.values,
            operations::CodePageSelection(*family, wanted.values.switchPage1));
        SetReport report;
        report.frames = PlannedFrames(*family, write);
        result.json = SetReportJson(report);
        result.text = FramesText(report.frames) + "Dry run: nothing was opened or written.\n";
        return result;
    }
    auto printer = OnePrinter::Open(options, reporter, result);
    if (!printer) {
        return result;
    }
    SetReport report = SetPrinter(printer->Get(), SetRequestOf(options, std::move(file)), reporter);
    if (!report.failure.empty() && report.exitStatus == kUsageError) {
        reporter.Message(platform::Severity::Warning, report.failure);
    }
    result.exitStatus = report.exitStatus;
    result.json = SetReportJson(report);
    result.text = SetReportText(report, options.dryRun);
    return result;
}

// The window that Run Manager opens for a printer in the "Other" emulation, by family and
// emulation answer; false after saying why when there is none for the operation.
enum class LineModeWindow { Switches, Speed, CodePage };

bool LineModeWindowOf(Session& session, TerminalReporter& reporter, LineModeWindow& window,
                      CommandResult& refusal) {
    if (session.Emulation() != protocol::Emulation::Other) {
        refusal = Refused(reporter,
                          "the line-mode settings are for printers in the \"Other\" "
                          "emulation: give --emulation other02 or other03");
        return false;
    }
    bool krt620 = session.Family() == PrinterModel::Krt620;
    if (krt620 && session.EmulationAnswer() == 2) {
        const std::string why(operations::kEmulationNotSupportedMessage);
        reporter.Message(platform::Severity::Warning, why);
        refusal = Failed(kPrinterError, why);
        return false;
    }
    window = krt620                           ? LineModeWindow::CodePage
             : session.EmulationAnswer() == 2 ? LineModeWindow::Speed
                                              : LineModeWindow::Switches;
    return true;
}

CommandResult RunPrintStatus(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    auto printer = OnePrinter::Open(options, reporter, result);
    if (!printer || !printer->Connect(result)) {
        return result;
    }
    Session& session = printer->Get();
    bool sent = false;
    if (session.Emulation() == protocol::Emulation::Native) {
        operations::PrinterIdentity identity;
        if (!Identify(session, reporter, identity)) {
            return Failed(kPrinterError, "the printer was not accepted");
        }
        operations::NoProgress progress;
        sent = operations::PrintNativeStatus(session.Port(), progress);
    } else {
        LineModeWindow window = LineModeWindow::Switches;
        if (!LineModeWindowOf(session, reporter, window, result)) {
            return result;
        }
        if (window == LineModeWindow::Speed) {
            return Refused(reporter,
                           "a KRT-310 family printer that answers 03 takes only "
                           "linemode speed");
        }
        sent = operations::PrintLineModeStatus(
            session.Port(), window == LineModeWindow::CodePage ? protocol::PrintStatusForm::TwoNuls
                                                               : protocol::PrintStatusForm::OneNul);
    }
    result.json["sent"] = sent;
    if (!sent) {
        return Failed(kPrinterError, "the request could not be written");
    }
    result.text = "The printer prints its settings.\n";
    return result;
}

CommandResult RunSelfTest(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    auto printer = OnePrinter::Open(options, reporter, result);
    if (!printer || !printer->Connect(result)) {
        return result;
    }
    if (!NeedsNative(printer->Get(), reporter, "self-test", result)) {
        return result;
    }
    bool sent = operations::PrintSelfTest(
        printer->Get().Port(), options.selfTestPage == 1 ? operations::SelfTestPage::First
                                                         : operations::SelfTestPage::Second);
    result.json["page"] = options.selfTestPage;
    result.json["sent"] = sent;
    if (!sent) {
        return Failed(kPrinterError, "the request could not be written");
    }
    result.text =
        "The printer prints self-test page " + std::to_string(options.selfTestPage) + ".\n";
    return result;
}

CommandResult RunAlignment(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    auto printer = OnePrinter::Open(options, reporter, result);
    if (!printer || !printer->Connect(result)) {
        return result;
    }
    Session& session = printer->Get();
    if (!NeedsNative(session, reporter, "alignment", result)) {
        return result;
    }
    if (session.Family() != PrinterModel::Krt620) {
        return Refused(reporter, std::string(operations::kAlignmentNotSupportedMessage));
    }
    if (options.command == CliCommand::AlignmentStore) {
        operations::AlignmentStore stored =
            operations::StoreAlignmentOffsets(session.Port(), options.alignmentOffsets, reporter);
        json offsets = json::array();
        for (int offset : options.alignmentOffsets) {
            offsets.push_back(offset);
        }
        result.json["offsets"] = offsets;
        result.json["stored"] = stored == operations::AlignmentStore::Stored;
        if (stored != operations::AlignmentStore::Stored) {
            return Failed(kPrinterError, "the offsets were not all stored");
        }
        result.text = "Stored.\n";
        return result;
    }
    bool printed = operations::PrintAlignment(session.Port(),
                                              options.command == CliCommand::AlignmentPattern
                                                  ? operations::AlignmentPrint::Pattern
                                                  : operations::AlignmentPrint::Verification,
                                              reporter);
    result.json["sent"] = printed;
    if (!printed) {
        return Failed(kPrinterError, "the request could not be written");
    }
    result.text = "The printer prints the pattern.\n";
    return result;
}

CommandResult RunLineModeSet(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    std::vector<operations::LineModeChoice> choices;
    for (const auto& text : options.lineModeChoices) {
        operations::LineModeChoice choice;
        std::string error;
        if (!ParseLineModeChoice(text, choice, error)) {
            return Refused(reporter, error);
        }
        choices.push_back(choice);
    }
    if (choices.empty()) {
        return Refused(reporter, "give at least one SETTING=CHOICE; \"linemode list\" shows them");
    }
    auto printer = OnePrinter::Open(options, reporter, result);
    if (!printer || !printer->Connect(result)) {
        return result;
    }
    Session& session = printer->Get();
    LineModeWindow window = LineModeWindow::Switches;
    if (!LineModeWindowOf(session, reporter, window, result)) {
        return result;
    }
    if (window == LineModeWindow::Speed) {
        return Refused(reporter,
                       "a KRT-310 family printer that answers 03 takes only linemode "
                       "speed");
    }
    for (const auto& choice : choices) {
        if (IsKrt620LineModeSetting(choice.setting) != (window == LineModeWindow::CodePage)) {
            const protocol::LineModeOption* option =
                protocol::LineModeOptions::Find(choice.setting);
            return Refused(
                reporter,
                "\"" + std::string(option->name) + "\" is not a setting of " +
                    (window == LineModeWindow::CodePage ? "the KRT-620" : "the KRT-310 family"));
        }
        // The window offers the code page only to a firmware that takes it.
        if (choice.setting == protocol::LineModeSetting::CodePage &&
            !operations::ReadCodePageCapability(session.Port()).takesCodePage) {
            return Refused(reporter,
                           "this printer's firmware does not take the code page "
                           "setting");
        }
    }
    operations::LineModeOutcome outcome =
        operations::SetLineModeSwitches(session.Port(), choices, reporter);
    result.json["sent"] = outcome == operations::LineModeOutcome::Sent;
    if (outcome != operations::LineModeOutcome::Sent) {
        return Failed(kPrinterError, "the commands could not be written");
    }
    result.text = "Sent; the printer prints its new settings.\n";
    return result;
}

CommandResult RunLineModeSpeed(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    auto printer = OnePrinter::Open(options, reporter, result);
    if (!printer || !printer->Connect(result)) {
        return result;
    }
    LineModeWindow window = LineModeWindow::Switches;
    if (!LineModeWindowOf(printer->Get(), reporter, window, result)) {
        return result;
    }
    if (window != LineModeWindow::Speed) {
        return Refused(reporter,
                       "only a KRT-310 family printer that answers 03 takes linemode "
                       "speed");
    }
    bool sent = operations::SetLineModeSpeed(printer->Get().Port(), options.lineModeSpeed);
    result.json["speed"] = options.lineModeSpeed;
    result.json["sent"] = sent;
    if (!sent) {
        return Failed(kPrinterError, "the commands could not be written");
    }
    result.text = "Sent; the link keeps its own speed.\n";
    return result;
}

CommandResult RunLineModeList() {
    CommandResult result;
    std::ostringstream text;
    json settings = json::array();
    for (const auto& setting : LineModeSettings()) {
        bool krt620 = IsKrt620LineModeSetting(setting.setting);
        text << setting.name << (krt620 ? " (KRT-620)" : " (KRT-310 family)") << "\n";
        json choices = json::array();
        for (std::size_t i = 0; i < setting.choices.size(); ++i) {
            text << "  " << i << "  " << setting.choices[i] << "\n";
            choices.push_back(setting.choices[i]);
        }
        settings.push_back({{"setting", setting.name},
                            {"family", krt620 ? "KRT-620" : "KRT-310/310II"},
                            {"choices", choices}});
    }
    result.json["settings"] = settings;
    result.text = text.str();
    return result;
}

CommandResult RunConvert(const CliOptions& options, TerminalReporter& reporter) {
    CommandResult result;
    SettingsFile file;
    if (!LoadSetFile(options, reporter, file, result)) {
        return result;
    }
    if (options.convertOutput.empty()) {
        return Refused(reporter, "give the file to write");
    }
    auto family = file.family ? file.family : FamilyOf(options.model);
    if (!family) {
        return Refused(reporter, "a status file names no family: give --model");
    }
    SettingsDocument document = file.For(*family);
    std::string error;
    bool written = false;
    if (operations::IsStatusFileName(options.convertOutput)) {
        written = operations::WriteStatusFile(options.convertOutput, document.values, error);
    } else {
        std::string content = SettingsJson(document);
        written = operations::WriteFileAtomically(
            options.convertOutput,
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(content.data()),
                                          content.size()),
            error);
    }
    if (!written) {
        return Refused(reporter, error);
    }
    result.json["output"] = options.convertOutput;
    result.text = "Wrote " + options.convertOutput + "\n";
    return result;
}

}  // namespace

std::string CommandName(CliCommand command) {
    switch (command) {
        case CliCommand::None:
            break;
        case CliCommand::Ports:
            return "ports";
        case CliCommand::Identify:
            return "identify";
        case CliCommand::Get:
            return "get";
        case CliCommand::Set:
            return "set";
        case CliCommand::Deploy:
            return "deploy";
        case CliCommand::PrintStatus:
            return "print-status";
        case CliCommand::SelfTest:
            return "self-test";
        case CliCommand::AlignmentPattern:
            return "alignment pattern";
        case CliCommand::AlignmentVerify:
            return "alignment verify";
        case CliCommand::AlignmentStore:
            return "alignment store";
        case CliCommand::LineModeSet:
            return "linemode set";
        case CliCommand::LineModeSpeed:
            return "linemode speed";
        case CliCommand::LineModeList:
            return "linemode list";
        case CliCommand::Convert:
            return "convert";
    }
    return "";
}

CommandResult RunCommand(const CliOptions& options, TerminalReporter& reporter,
                         std::ostream& progress) {
    if (options.emulation != sim::Emulation::Native && !options.model &&
        options.command != CliCommand::Ports && options.command != CliCommand::LineModeList &&
        options.command != CliCommand::Convert) {
        return Refused(reporter,
                       "--emulation other needs --model: a printer in the \"Other\" "
                       "emulation cannot be asked for its model name");
    }
    switch (options.command) {
        case CliCommand::Ports:
            return RunPorts(options);
        case CliCommand::Identify:
            return RunIdentify(options, reporter);
        case CliCommand::Get:
            return RunGet(options, reporter);
        case CliCommand::Set:
            return RunSet(options, reporter);
        case CliCommand::Deploy: {
            SettingsFile file;
            CommandResult refusal;
            if (!LoadSetFile(options, reporter, file, refusal)) {
                return refusal;
            }
            return RunDeploy(options, SetRequestOf(options, std::move(file)), reporter, progress);
        }
        case CliCommand::PrintStatus:
            return RunPrintStatus(options, reporter);
        case CliCommand::SelfTest:
            return RunSelfTest(options, reporter);
        case CliCommand::AlignmentPattern:
        case CliCommand::AlignmentVerify:
        case CliCommand::AlignmentStore:
            return RunAlignment(options, reporter);
        case CliCommand::LineModeSet:
            return RunLineModeSet(options, reporter);
        case CliCommand::LineModeSpeed:
            return RunLineModeSpeed(options, reporter);
        case CliCommand::LineModeList:
            return RunLineModeList();
        case CliCommand::Convert:
            return RunConvert(options, reporter);
        case CliCommand::None:
            break;
    }
    return Refused(reporter, "name a command; corvane-cli --help lists them");
}

}  // namespace corvane::cli
