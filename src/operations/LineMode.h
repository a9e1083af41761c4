#pragma once

// Settings of printers that run the foreign "Other" emulation. They take line-mode commands: a
// clear and a set command that change fields of their switch words, a print status command,
// and the speed commands. Nothing is read back; the printer prints its new settings instead.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/PrinterPort.h"
#include "platform/Reporter.h"
#include "protocol/LineModeCommands.h"
#include "protocol/LineModeOptions.h"

namespace corvane::operations {

// One setting to change and its choice: a position in the setting's list of values.
struct LineModeChoice {
    protocol::LineModeSetting setting;
    int choice = 0;
};

enum class LineModeOutcome { Sent, NothingChosen, WriteFailed };

inline constexpr std::string_view kNothingChosenMessage = "Don't select item.";
inline constexpr std::string_view kNothingChosenCaption = "Warning";
// A KRT-620 that answers 2 to the emulation question runs an emulation with no line-mode
// settings this program knows.
inline constexpr std::string_view kEmulationNotSupportedMessage =
    "Citizen Emulation is not support!!";

// Sends one clear and one set command that change exactly the chosen settings, in the order of
// the printer's option table, then the print status command. A choice the setting does not
// have is left out; when nothing is left, the user is told and nothing is sent.
LineModeOutcome SetLineModeSwitches(link::PrinterPort& port,
                                    std::span<const LineModeChoice> choices,
                                    platform::Reporter& reporter);

// Makes the printer print its switch settings.
bool PrintLineModeStatus(link::PrinterPort& port, protocol::PrintStatusForm form);

// Gives the printer a new serial speed (1200 to 19200 bits per second); the link keeps its own
// speed. False, with nothing sent, for a speed the printer does not have.
bool SetLineModeSpeed(link::PrinterPort& port, std::uint32_t bitsPerSecond);

// What the firmware of a KRT-620 in the "Other" emulation says about its default code page.
struct CodePageCapability {
    bool takesCodePage = false;
    std::string versionText;
};

// Whether a firmware version text marks a printer that takes the code page setting: "STB" as
// its characters 8 to 10.
bool TakesCodePage(std::string_view versionText);

// Asks the printer for its firmware version text and judges it.
CodePageCapability ReadCodePageCapability(link::PrinterPort& port);

}  // namespace corvane::operations
