#include "operations/Identity.h"

#include "protocol/Identification.h"

namespace corvane::operations {

namespace {

using protocol::InfoRequest;

constexpr std::uint32_t kTextUsbSize = 64;
// The manager gives the printer a second to find its firmware and maker texts.
constexpr std::uint32_t kFirmwarePauseMs = 1000;
constexpr std::uint32_t kMakerPauseMs = 1000;
constexpr std::uint32_t kModelPauseMs = 10;
constexpr std::uint32_t kLanguagePauseMs = 10;
constexpr std::string_view kOurMaker = "VANTORA";

void Steps(Progress& progress, int count) {
    for (int i = 0; i < count; ++i) {
        progress.Step();
    }
}

}  // namespace

PrinterIdentity ReadPrinterIdentity(link::PrinterPort& port, protocol::PrinterModel model,
                                    Progress& progress, platform::Reporter& reporter) {
    const bool usb = port.kind == link::InterfaceKind::Usb;
    // On serial and parallel links every byte of every text moves the bar.
    protocol::StepCallback byteStep = [&progress](protocol::ExchangeStep step) {
        if (step == protocol::ExchangeStep::ByteRead) {
            progress.Step();
        }
    };
    auto query = [&](InfoRequest request, std::uint32_t pauseMs) {
        return protocol::QueryPrinterInfo(port, request, kTextUsbSize, pauseMs, 0,
                                          usb ? protocol::StepCallback{} : byteStep);
    };

    PrinterIdentity identity;
    std::string firmware = query(InfoRequest::VersionText, kFirmwarePauseMs);
    if (usb) {
        Steps(progress, 3);
    }
    identity.firmwareText = firmware;
    identity.firmwareRead = true;
    if (usb) {
        Steps(progress, 2);
        Steps(progress, 2);
    }

    identity.makerText = query(InfoRequest::Maker, kMakerPauseMs);
    if (usb) {
        Steps(progress, 4);
    }
    if (identity.makerText.empty()) {
        // No maker text at all is a printer that does not answer, not one of another maker.
        identity.outcome = IdentityOutcome::NoAnswer;
        reporter.Message(platform::Severity::Warning, std::string(kNoAnswerMessage));
        return identity;
    }
    if (identity.makerText != kOurMaker) {
        identity.outcome = IdentityOutcome::OtherMaker;
        reporter.Message(platform::Severity::Warning, std::string(kManagerCompanyMismatchMessage));
        return identity;
    }

    identity.modelText = query(InfoRequest::Model, kModelPauseMs);
    bool accepted = protocol::IsAcceptedModel(model, identity.modelText);
    if (model == protocol::PrinterModel::Krt620) {
        if (!accepted) {
            identity.isKrt310II = false;
        }
    } else if (accepted) {
        identity.isKrt310II = identity.modelText == "KRT-310II";
    }
    if (!accepted) {
        identity.outcome = IdentityOutcome::OtherModel;
        reporter.Message(platform::Severity::Warning, identity.modelText);
        reporter.Message(platform::Severity::Warning, std::string(kManagerPrinterMismatchMessage));
        return identity;
    }

    identity.languageText = query(InfoRequest::Language, kLanguagePauseMs);
    if (usb) {
        Steps(progress, 7);
    }
    identity.outcome = IdentityOutcome::Accepted;
    return identity;
}

}  // namespace corvane::operations
