#include "service/PrinterSession.h"

#include "base/VisibleText.h"

namespace corvane::service {

namespace {

// The exit status of a connect that did not succeed.
int ConnectFailureStatus(const operations::ConnectResult& result) {
    return result.outcome == operations::ConnectOutcome::OpenFailed ? kPortUnavailable
                                                                    : kPrinterError;
}

}  // namespace

PrinterSession::PrinterSession(platform::Platform& platform, PortTarget target,
                               platform::Reporter& reporter)
    : target_(std::move(target)),
      reporter_(reporter),
      port_(platform, target_.Ports()),
      connector_(std::make_unique<operations::PrinterConnector>(port_, reporter)) {
    QueueRegistry::Instance().Add(*this);
}

PrinterSession::~PrinterSession() {
    port_.Close();
    {
        std::lock_guard<std::mutex> hold(queueLock_);
        connector_.reset();
    }
    QueueRegistry::Instance().Remove(*this);
}

std::unique_ptr<PrinterSession> PrinterSession::Open(const std::string& port,
                                                     const PlatformRequest& platform,
                                                     platform::Reporter& reporter,
                                                     std::string& error) {
    PortTarget target;
    if (!ParsePortTarget(port, target, error)) {
        return nullptr;
    }
    auto platforms = PrinterPlatforms::Make(platform, error);
    if (!platforms) {
        return nullptr;
    }
    auto own = platforms->Next();
    auto session = std::make_unique<PrinterSession>(own->Get(), std::move(target), reporter);
    session->ownPlatforms_ = std::move(platforms);
    session->ownPlatform_ = std::move(own);
    return session;
}

void PrinterSession::RestoreQueuesNow() {
    std::lock_guard<std::mutex> hold(queueLock_);
    // The program is ending: a connect that comes later stops no queue it would leave behind.
    ending_ = true;
    if (connector_) {
        connector_->RestoreRedirectedPrinters();
    }
    // A USB printer taken from its kernel driver goes back to it too, also in the middle of an
    // exchange: otherwise its /dev/usb/lpN stays gone until it is plugged in again.
    port_.GetPlatform().GiveBackDevicesNow();
}

operations::ConnectResult PrinterSession::Connect(const ConnectChoice& choice) {
    operations::ConnectRequest request;
    request.portName = target_.portName;
    request.line = choice.line;
    request.emulation = choice.emulation;
    request.model = choice.family.value_or(protocol::PrinterModel::Krt310Family);
    emulation_ = choice.emulation;
    operations::ConnectResult refusal;
    {
        std::lock_guard<std::mutex> hold(queueLock_);
        if (ending_ || !connector_->OpenPort(request, refusal)) {
            return refusal;
        }
    }
    // A printer in the "Other" emulation would print the question, so its model must be given.
    if (!choice.family && choice.emulation == protocol::Emulation::Native) {
        operations::ModelNameAnswer answer = operations::AskModelName(port_);
        request.model = answer.family;
        reporter_.Diagnostic("The printer names its model \"" + base::ShownText(answer.modelText) +
                             "\".");
    }
    family_ = request.model;
    operations::ConnectResult result = connector_->Identify(request);
    emulationAnswer_ = result.emulationAnswer;
    return result;
}

bool PrinterSession::Identify() {
    operations::NoProgress progress;
    identity_ = operations::ReadPrinterIdentity(port_, family_, progress, reporter_);
    if (identity_.outcome == operations::IdentityOutcome::OtherModel) {
        reporter_.Message(platform::Severity::Warning,
                          std::string(operations::kOtherCompanyProductMessage));
    }
    return identity_.Accepted();
}

StartOutcome PrinterSession::Start(const ConnectChoice& choice, PrinterNeeds needs) {
    auto stop = [](StartStep step, int exitStatus, std::string why) {
        return StartOutcome{step, exitStatus, std::move(why)};
    };
    operations::ConnectResult connected = Connect(choice);
    if (!connected.Connected()) {
        return stop(StartStep::NotConnected, ConnectFailureStatus(connected), "not connected");
    }
    bool native = emulation_ == protocol::Emulation::Native;
    if (needs.nativeEmulation && !native) {
        return stop(StartStep::NotNative, kUsageError, "");
    }
    if (needs.identity && native && !Identify()) {
        return stop(StartStep::NotAccepted, kPrinterError, "the printer was not accepted");
    }
    return {};
}

LineModeWindow PrinterSession::LineModeWindowFor() const {
    if (emulation_ != protocol::Emulation::Other) {
        return LineModeWindow::None;
    }
    if (family_ == protocol::PrinterModel::Krt620) {
        return emulationAnswer_ == 2 ? LineModeWindow::Unsupported : LineModeWindow::CodePage;
    }
    return emulationAnswer_ == 2 ? LineModeWindow::Speed : LineModeWindow::Switches;
}

PrinterInfo PrinterSession::Info() const {
    return {target_.given, base::ShownText(identity_.makerText),
            base::ShownText(identity_.modelText), base::ShownText(identity_.firmwareText),
            base::ShownText(identity_.languageText)};
}

}  // namespace corvane::service
