#pragma once

namespace corvane::protocol {

// The printer family: the KRT-310 and KRT-310II share their firmware and command set, the
// KRT-620 has its own. The values are those the connection window's radios stand for.
enum class PrinterModel : int { Krt310Family = 0, Krt620 = 1 };

// The command set the printer runs: its own, or the foreign "Other" emulation that takes the
// line-mode commands.
enum class Emulation : int { Native = 0, Other = 1 };

}  // namespace corvane::protocol
