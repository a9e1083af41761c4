// The commands on one printer in its own emulation: identify, get, print-status, self-test and
// the KRT-620's alignment. The command table connects and identifies the printer before them.
#include <sstream>

#include "cli/CommandRunners.h"
#include "operations/Alignment.h"
#include "operations/LineMode.h"
#include "operations/SelfTest.h"
#include "service/Differences.h"
#include "service/SettingsFile.h"

namespace corvane::cli {

namespace {

using json = nlohmann::ordered_json;
using protocol::PrinterModel;
using service::kPrinterError;
using startup::CliCommand;

constexpr char kNotWritten[] = "the request could not be written";

std::string EmulationText(const service::PrinterSession& printer) {
    if (printer.Emulation() == protocol::Emulation::Native) {
        return "native";
    }
    return printer.EmulationAnswer() == 2 ? "other (03)" : "other (02)";
}

}  // namespace

CommandResult RunIdentify(CommandCall& call) {
    CommandResult result;
    service::PrinterSession& printer = *call.printer;
    result.json["port"] = printer.Target().given;
    result.json["family"] = service::FamilyName(printer.Family());
    result.json["emulation"] = EmulationText(printer);
    std::ostringstream text;
    text << "Port:      " << printer.Target().given << "\n"
         << "Family:    " << service::FamilyName(printer.Family()) << "\n"
         << "Emulation: " << EmulationText(printer) << "\n";
    if (printer.Emulation() == protocol::Emulation::Native) {
        const service::PrinterInfo info = printer.Info();
        result.json["maker"] = info.maker;
        result.json["model"] = info.model;
        result.json["firmware"] = info.firmware;
        result.json["language"] = info.language;
        text << "Maker:     " << info.maker << "\n"
             << "Model:     " << info.model << "\n"
             << "Firmware:  " << info.firmware << "\n"
             << "Language:  " << info.language << "\n";
    }
    result.text = text.str();
    return result;
}

CommandResult RunGet(CommandCall& call) {
    CommandResult result;
    service::PrinterSession& printer = *call.printer;
    const std::string& outputFile = call.options.outputFile;
    call.shown.SetStage("Reading the settings");
    operations::ReadResult read =
        operations::ReadNativeStatus(printer.Port(), printer.Family(), call.shown);
    if (!read.ok) {
        call.reporter.Message(platform::Severity::Warning,
                              operations::ReadFailureMessage(printer.Family(), read.failedItem));
        return Failed(kPrinterError, "the printer's settings could not be read");
    }
    call.reporter.Message(platform::Severity::Information,
                          std::string(operations::kGetSuccessMessage));
    service::SettingsDocument document = service::DocumentFromStatus(printer.Family(), read.status);
    document.printer = printer.Info();
    std::string content = service::SettingsJson(document);
    if (outputFile.empty()) {
        result.json["settings"] = json::parse(content);
        result.text = content;
        return result;
    }
    std::string error;
    if (!service::SaveSettings(outputFile, document, error)) {
        return Refused(call.reporter, error);
    }
    result.json["output"] = outputFile;
    result.text = "Saved to " + outputFile + "\n";
    return result;
}

CommandResult RunPrintStatus(CommandCall& call) {
    CommandResult result;
    service::PrinterSession& printer = *call.printer;
    bool sent = false;
    if (printer.Emulation() == protocol::Emulation::Native) {
        call.shown.SetStage("Printing the settings");
        sent = operations::PrintNativeStatus(printer.Port(), call.shown);
    } else {
        auto window = LineModeWindowOf(printer, call.reporter, result);
        if (!window) {
            return result;
        }
        if (*window == service::LineModeWindow::Speed) {
            return Refused(call.reporter, kOnlyLineModeSpeed);
        }
        sent = operations::PrintLineModeStatus(printer.Port(),
                                               *window == service::LineModeWindow::CodePage
                                                   ? protocol::PrintStatusForm::TwoNuls
                                                   : protocol::PrintStatusForm::OneNul);
    }
    return Sent(result, sent, kNotWritten, "The printer prints its settings.\n");
}

CommandResult RunSelfTest(CommandCall& call) {
    CommandResult result;
    const int page = call.options.selfTestPage;
    bool sent = operations::PrintSelfTest(
        call.printer->Port(),
        page == 1 ? operations::SelfTestPage::First : operations::SelfTestPage::Second);
    result.json["page"] = page;
    return Sent(result, sent, kNotWritten,
                "The printer prints self-test page " + std::to_string(page) + ".\n");
}

namespace {

// The alignment window is the KRT-620's only; false after the refusal for any other.
bool IsKrt620(CommandCall& call, CommandResult& refusal) {
    if (call.printer->Family() == PrinterModel::Krt620) {
        return true;
    }
    refusal = Refused(call.reporter, std::string(operations::kAlignmentNotSupportedMessage));
    return false;
}

}  // namespace

CommandResult RunAlignmentPrint(CommandCall& call) {
    CommandResult result;
    if (!IsKrt620(call, result)) {
        return result;
    }
    bool printed = operations::PrintAlignment(call.printer->Port(),
                                              call.options.command == CliCommand::AlignmentPattern
                                                  ? operations::AlignmentPrint::Pattern
                                                  : operations::AlignmentPrint::Verification,
                                              call.reporter);
    return Sent(result, printed, kNotWritten, "The printer prints the pattern.\n");
}

CommandResult RunAlignmentStore(CommandCall& call) {
    CommandResult result;
    if (!IsKrt620(call, result)) {
        return result;
    }
    const auto& offsets = call.options.alignmentOffsets;
    operations::AlignmentStore stored =
        operations::StoreAlignmentOffsets(call.printer->Port(), offsets, call.reporter);
    result.json["offsets"] = offsets;
    result.json["stored"] = stored == operations::AlignmentStore::Stored;
    if (stored != operations::AlignmentStore::Stored) {
        return Failed(kPrinterError, "the offsets were not all stored");
    }
    result.text = "Stored.\n";
    return result;
}

}  // namespace corvane::cli
