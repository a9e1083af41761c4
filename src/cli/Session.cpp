#include "cli/Session.h"

#include "protocol/Identification.h"

namespace corvane::cli {

Session::Session(platform::Platform& platform, PortTarget target, platform::Reporter& reporter)
    : target_(std::move(target)),
      reporter_(reporter),
      port_(platform, target_.Ports()),
      connector_(std::make_unique<operations::PrinterConnector>(port_, reporter)) {
    QueueWatch::Instance().Add(*this);
}

Session::~Session() {
    port_.Close();
    {
        std::lock_guard<std::mutex> hold(queueLock_);
        connector_.reset();
    }
    QueueWatch::Instance().Remove(*this);
}

void Session::RestoreQueuesNow() {
    std::lock_guard<std::mutex> hold(queueLock_);
    if (connector_) {
        connector_->RestoreRedirectedPrinters();
    }
}

operations::ConnectResult Session::Connect(const ConnectChoice& choice) {
    operations::ConnectRequest request;
    request.portName = target_.portName;
    request.line = choice.line;
    request.emulation = choice.emulation;
    request.model = choice.family.value_or(protocol::PrinterModel::Krt310Family);
    emulation_ = choice.emulation;
    operations::ConnectResult refusal;
    {
        std::lock_guard<std::mutex> hold(queueLock_);
        if (!connector_->OpenPort(request, refusal)) {
            return refusal;
        }
    }
    // A printer in the "Other" emulation would print the question, so its model must be given.
    if (!choice.family && choice.emulation == protocol::Emulation::Native) {
        std::string modelText = protocol::QueryPrinterInfo(port_, protocol::InfoRequest::Model,
                                                           protocol::kNameQueryUsbSize,
                                                           protocol::kNameQuerySerialPauseMs);
        if (protocol::IsAcceptedModel(protocol::PrinterModel::Krt620, modelText)) {
            request.model = protocol::PrinterModel::Krt620;
        }
        reporter_.Diagnostic("The printer names its model \"" + modelText + "\".");
    }
    family_ = request.model;
    operations::ConnectResult result = connector_->Identify(request);
    emulationAnswer_ = result.emulationAnswer;
    return result;
}

}  // namespace corvane::cli
