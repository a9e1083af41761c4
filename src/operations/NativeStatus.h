#pragma once

// Reading, writing and printing the memory switches and settings of a printer in its own
// emulation, with the frames, pauses and reading rules the printer expects. The values are plain
// data, so that a window and a command line use the same exchanges.

#include <optional>
#include <string>
#include <string_view>

#include "link/PrinterPort.h"
#include "operations/Progress.h"
#include "protocol/NativeEncoding.h"
#include "protocol/PrinterModel.h"

namespace corvane::operations {

// The settings of a printer of the KRT-310 family besides its two switches.
struct PowerSave {
    bool use = false;
    int seconds = 0;
};

// What Get Status reads. A KRT-620 has only its two switches.
struct NativeStatus {
    // The switch that holds the default code page: memory switch 2 of the KRT-310 family,
    // memory switch 1 of the KRT-620.
    protocol::SwitchPins codePageSwitch{};
    // Memory switch 8 of the KRT-310 family, memory switch 5 of the KRT-620.
    protocol::SwitchPins secondSwitch{};
    protocol::SerialSettings serial;
    std::optional<protocol::PaperWidth> paperWidth;
    // Empty when the printer did not tell; a KRT-310 has no power save.
    std::optional<PowerSave> powerSave;
};

// The items in the order they are read.
enum class StatusItem {
    CodePageSwitch,
    SecondSwitch,
    Speed,
    Parity,
    FlowControl,
    DataBits,
    PaperWidth,
    PowerSave,
};

// How an item is named in a message: "memory switch 2", "the serial speed", ...
std::string ItemName(protocol::PrinterModel model, StatusItem item);

struct ReadResult {
    bool ok = false;
    StatusItem failedItem = StatusItem::CodePageSwitch;  // the item that got no whole reply
    NativeStatus status;
};

// Reads the switches and, for the KRT-310 family, the four serial items, the paper width and
// the power save setting. A switch or serial item that gets no whole reply ends the reading
// with that item; the paper width and power save may go unanswered by a model that lacks them.
ReadResult ReadNativeStatus(link::PrinterPort& port, protocol::PrinterModel model,
                            Progress& progress);

// What Set Status writes.
struct StatusWrite {
    // The code page number to store; empty leaves the printer's code page as it is.
    std::optional<int> codePage;
    // Pins that are neither on nor off are left as the printer has them.
    protocol::SwitchPins secondSwitch{};
    // KRT-310 family only: an empty paper width is not sent.
    std::optional<protocol::PaperWidth> paperWidth;
    protocol::SerialSettings serial;
    PowerSave powerSave;
    // The printer's model text: a model with power save (the KRT-310II) answers the power
    // save frame over USB.
    std::string modelText;
};

struct WriteResult {
    bool ok = false;
    std::string failedStep;  // what did not go out, for the message
};

// Power save seconds the printer takes in its one byte; anything else is held to these.
inline constexpr int kLowestPowerSaveSeconds = 6;
inline constexpr int kHighestPowerSaveSeconds = 254;

// Writes the status: in user setting mode the code page switch, the second switch and (KRT-310
// family) the paper width; then, outside it, the serial settings and the power save setting. A
// write that fails ends the sequence; user setting mode is left when it was entered.
WriteResult WriteNativeStatus(link::PrinterPort& port, protocol::PrinterModel model,
                              const StatusWrite& status, Progress& progress);

// Makes the printer print its switch status by entering and leaving user setting mode, and
// drains what it answers. Returns whether both frames went out.
bool PrintNativeStatus(link::PrinterPort& port, Progress& progress);

// Moves the PC's serial line to the speed, data bits and parity just written to the printer.
// Nothing changes when the speed or data bits were left unchanged; a parity left unchanged keeps
// the line's own. Returns whether the line was changed.
bool RetuneHostLine(link::PrinterPort& port, const protocol::SerialSettings& serial);

inline constexpr std::string_view kGetSuccessMessage = "Success to get status of printer.";
inline constexpr std::string_view kSetSuccessKrt310Message = "Success to set status of printer";
inline constexpr std::string_view kSetSuccessKrt620Message = "Success to set status of printer.";

// "Failed to get status of printer: memory switch 8 did not answer." and its writing twin.
std::string ReadFailureMessage(protocol::PrinterModel model, StatusItem item);
std::string WriteFailureMessage(const std::string& failedStep);

}  // namespace corvane::operations
