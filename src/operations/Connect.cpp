#include "operations/Connect.h"

#include "link/EndedRuns.h"
#include "product/SettingLists.h"
#include "protocol/Identification.h"

namespace corvane::operations {

namespace {

using link::InterfaceKind;
using platform::Severity;

bool IsUsbPort(const std::string& portName) {
    return portName == product::kUsbPortName;
}

}  // namespace

std::string UnsupportedFirmwareMessage(const std::string& versionText, InterfaceKind kind) {
    std::size_t counted = versionText.size() + (kind == InterfaceKind::Usb ? 0 : 1);
    if (counted >= 2) {
        return "This F/W version of printer is not supported!!!\nPlease refer to the manual!!\n"
               "Current F/W Version : " +
               versionText;
    }
    return "This F/W version is not supported!!!\nPlease refer to the manual!!\n"
           "Current F/W Version : Unknown";
}

ModelNameAnswer AskModelName(link::PrinterPort& port) {
    ModelNameAnswer answer;
    answer.modelText =
        protocol::QueryPrinterInfo(port, protocol::InfoRequest::Model, protocol::kNameQueryUsbSize,
                                   protocol::kNameQuerySerialPauseMs);
    if (protocol::IsAcceptedModel(protocol::PrinterModel::Krt620, answer.modelText)) {
        answer.family = protocol::PrinterModel::Krt620;
    }
    return answer;
}

PrinterConnector::PrinterConnector(link::PrinterPort& port, platform::Reporter& reporter)
    : port_(port), reporter_(reporter), usbFinder_(port.GetPlatform(), reporter) {
    port_.SetUsbAccess(&usbFinder_);
}

PrinterConnector::~PrinterConnector() {
    link::HeldQueues::OfProcess().Leave(port_.GetPlatform(), redirectedPrinters_);
    port_.SetUsbAccess(nullptr);
}

void PrinterConnector::RestoreRedirectedPrinters() {
    link::RestoreRedirectedPrinters(port_.GetPlatform(), redirectedPrinters_);
}

void PrinterConnector::Disconnect() {
    port_.Close();
}

void PrinterConnector::CopyLineSettings(const ConnectRequest& request) {
    port_.SetPortName(request.portName);
    // Parallel and USB links leave the line fields as the last serial Connect set them.
    if (!IsUsbPort(request.portName) && request.portName.rfind("LPT", 0) != 0) {
        port_.SetLineSettings({.baudRate = request.line.baudRate,
                               .dataBits = request.line.dataBits,
                               .parity = request.line.parity,
                               .stopBits = request.line.stopBits});
    }
}

ConnectResult PrinterConnector::Connect(const ConnectRequest& request) {
    ConnectResult refusal;
    if (!OpenPort(request, refusal)) {
        return refusal;
    }
    return Identify(request);
}

bool PrinterConnector::OpenPort(const ConnectRequest& request, ConnectResult& refusal) {
    // What a killed run left stopped or unbound comes back before this one takes anything.
    link::GiveBackAfterEndedRuns(port_.GetPlatform());
    CopyLineSettings(request);
    if (!IsUsbPort(request.portName)) {
        // Queues moved by an earlier Connect go back first, then those on the new port move; a
        // USB link makes its own check of the queues inside Open.
        RestoreRedirectedPrinters();
        link::RedirectPrintersOnPort(port_.GetPlatform(), port_.Ports(), port_.PortName(),
                                     redirectedPrinters_);
    }
    if (!port_.Open()) {
        // The message names no cause; the diagnostic line tells support which device refused
        // and why.
        reporter_.Diagnostic(link::DescribeFailure(port_.LastFailure()),
                             platform::DiagnosticKind::Problem);
        refusal = Refuse(ConnectOutcome::OpenFailed, kCantOpenPortMessage);
        refusal.failure = port_.LastFailure();
        return false;
    }
    return true;
}

ConnectResult PrinterConnector::Identify(const ConnectRequest& request) {
    if (port_.Kind() == InterfaceKind::Usb) {
        // Each family has its own USB vendor; a printer of the other one is refused before any
        // byte goes to it.
        if (!usbFinder_.ChosenDeviceHasVendor(product::UsbVendorOf(request.model))) {
            ConnectResult result;
            result.outcome = ConnectOutcome::OtherUsbVendor;
            Inform(kOtherUsbVendorMessage);
            return result;
        }
    }
    if (request.emulation == protocol::Emulation::Native) {
        return IdentifyNativePrinter(request.model);
    }
    return AskEmulation();
}

ConnectResult PrinterConnector::IdentifyNativePrinter(protocol::PrinterModel model) {
    protocol::FirmwareIdResult firmware = protocol::CheckFirmwareId(port_, model);
    if (firmware.check == protocol::FirmwareCheck::PortError) {
        return Refuse(ConnectOutcome::PortError, kPortErrorMessage);
    }
    if (firmware.check == protocol::FirmwareCheck::Unsupported) {
        ConnectResult result;
        result.outcome = ConnectOutcome::UnsupportedFirmware;
        result.firmwareText = firmware.versionText;
        reporter_.Message(Severity::Plain,
                          UnsupportedFirmwareMessage(firmware.versionText, port_.Kind()));
        return result;
    }
    switch (protocol::CheckPrinterIdentity(port_, model)) {
        case protocol::IdentityCheck::OtherMaker:
            Warn(kCompanyNameMismatchMessage);
            return Refuse(ConnectOutcome::OtherMaker, kOtherCompanyProductMessage);
        case protocol::IdentityCheck::OtherModel:
            Warn(kPrinterNameMismatchMessage);
            return Refuse(ConnectOutcome::OtherModel, kOtherCompanyProductMessage);
        case protocol::IdentityCheck::Accepted:
            break;
    }
    Inform(kConnectedMessage);
    return {ConnectOutcome::Connected, 0, {}, {}};
}

ConnectResult PrinterConnector::AskEmulation() {
    // Only the emulation question goes out: a printer in a foreign emulation would take the
    // native requests as print data.
    protocol::EmulationReply reply = protocol::QueryEmulation(port_);
    if (reply.answer == 0) {
        return Refuse(ConnectOutcome::NoEmulationAnswer, kCantOpenPortMessage);
    }
    Inform(kConnectedMessage);
    return {ConnectOutcome::Connected, reply.answer, {}, {}};
}

ConnectResult PrinterConnector::Refuse(ConnectOutcome outcome, std::string_view message) {
    Warn(message);
    ConnectResult result;
    result.outcome = outcome;
    return result;
}

void PrinterConnector::Inform(std::string_view text) {
    reporter_.Message(Severity::Information, std::string(text));
}

void PrinterConnector::Warn(std::string_view text) {
    reporter_.Message(Severity::Warning, std::string(text));
}

}  // namespace corvane::operations
