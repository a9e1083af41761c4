#pragma once

namespace corvane::service {

// What an operation on a printer came to, as corvane-cli's exit status tells it; scripts rely on
// these numbers.
enum ExitStatus : int {
    kSuccess = 0,
    kPrinterError = 1,     // the printer refused, did not answer, or a write or read failed
    kUsageError = 2,       // the command line or an input file is wrong; nothing was sent
    kVerifyMismatch = 3,   // the printer was written but reads back otherwise
    kPortUnavailable = 4,  // the port could not be opened
    // The work was done, but a print queue or a USB printer's kernel driver could not be given
    // back; it was named on standard error.
    kLeftHeld = 5,
    kSettingsDiffer = 6,  // diff: the two sets of settings compared are not the same
    // As the BSD sysexits name them, for failures that are neither the printer's nor the input's.
    kInternalError = 70,  // an unexpected error stopped the work (what was held was given back)
    kOutputError = 74,    // the result could not be written to standard output (a closed pipe)
};

}  // namespace corvane::service
