#pragma once

// The memory switch manager's identification: it reads the printer's firmware version, maker,
// model and language texts for display, checks maker and model once more, and learns from the
// model table whether a KRT-310 family printer has power save in place of a paper width.

#include <optional>
#include <string>
#include <string_view>

#include "link/PrinterPort.h"
#include "operations/Progress.h"
#include "platform/Reporter.h"
#include "protocol/PrinterModel.h"

namespace corvane::operations {

enum class IdentityOutcome {
    Accepted,
    NoAnswer,    // no maker name at all, or a text that broke off: silent, unplugged or off
    OtherMaker,  // it named another maker; the program must not go on with it
    OtherModel,
};

struct PrinterIdentity {
    IdentityOutcome outcome = IdentityOutcome::NoAnswer;
    std::string firmwareText;
    std::string makerText;
    std::string modelText;  // asked for only after the maker was accepted
    std::string languageText;
    // The firmware text was asked for, so the code page list may be offered.
    bool firmwareRead = false;
    // Whether the printer has power save in place of a paper width setting (a KRT-310II), where
    // the model text decided it.
    std::optional<bool> powerSave;

    bool Accepted() const { return outcome == IdentityOutcome::Accepted; }
};

inline constexpr std::string_view kNoAnswerMessage =
    "The printer does not answer. Check that it is switched on and connected, then try again.";
inline constexpr std::string_view kManagerCompanyMismatchMessage =
    "This printer don't match our company name.";
inline constexpr std::string_view kManagerPrinterMismatchMessage =
    "This printer don't match our printer name.";

// Asks for the firmware version (1000 ms before the reply on serial and parallel links), the
// maker (1000 ms), the model and the language (10 ms each) and judges maker and model for the
// family the manager was opened for; the messages of a refusal are reported here. The progress
// moves one step per byte read on serial and parallel links, and by fixed steps per text on USB.
// A text that breaks off before its end counts as no answer, and no text of it is kept.
PrinterIdentity ReadPrinterIdentity(link::PrinterPort& port, protocol::PrinterModel model,
                                    Progress& progress, platform::Reporter& reporter);

}  // namespace corvane::operations
