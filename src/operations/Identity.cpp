#include "operations/Identity.h"

#include <algorithm>

#include "product/Models.h"
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

void Steps(Progress& progress, int count) {
    for (int i = 0; i < count; ++i) {
        progress.Step();
    }
}

}  // namespace

PrinterIdentity ReadPrinterIdentity(link::PrinterPort& port, protocol::PrinterModel model,
                                    Progress& progress, platform::Reporter& reporter) {
    const bool usb = port.Kind() == link::InterfaceKind::Usb;
    // On serial and parallel links every byte of every text moves the bar.
    protocol::StepCallback byteStep = [&progress](protocol::ExchangeStep step) {
        if (step == protocol::ExchangeStep::ByteRead) {
            progress.Step();
        }
    };
    // A text that broke off is a printer that stopped answering: none of it is judged or shown.
    bool whole = true;
    auto query = [&](InfoRequest request, std::uint32_t pauseMs) {
        protocol::TextReply reply = protocol::QueryPrinterText(
            port, request, kTextUsbSize, pauseMs, 0, usb ? protocol::StepCallback{} : byteStep);
        whole = whole && reply.complete;
        return reply.text;
    };
    auto silent = [&](PrinterIdentity& identity) {
        identity.outcome = IdentityOutcome::NoAnswer;
        identity.firmwareText.clear();
        identity.makerText.clear();
        identity.modelText.clear();
        identity.languageText.clear();
        reporter.Message(platform::Severity::Warning, std::string(kNoAnswerMessage));
        return identity;
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
    // No maker text at all is a printer that does not answer, not one of another maker.
    if (identity.makerText.empty() || !whole) {
        return silent(identity);
    }
    const auto& makers = product::kManagerMakerNames;
    if (std::find(makers.begin(), makers.end(), identity.makerText) == makers.end()) {
        identity.outcome = IdentityOutcome::OtherMaker;
        reporter.Message(platform::Severity::Warning, std::string(kManagerCompanyMismatchMessage));
        return identity;
    }

    identity.modelText = query(InfoRequest::Model, kModelPauseMs);
    if (!whole) {
        return silent(identity);
    }
    bool accepted = protocol::IsAcceptedModel(model, identity.modelText);
    if (model == protocol::PrinterModel::Krt620) {
        // A printer that is not the chosen KRT-620 counts as one without power save.
        if (!accepted) {
            identity.powerSave = false;
        }
    } else if (accepted) {
        identity.powerSave = product::ModelNamed(identity.modelText)->powerSaveSetting;
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
    if (!whole) {
        return silent(identity);
    }
    identity.outcome = IdentityOutcome::Accepted;
    return identity;
}

}  // namespace corvane::operations
