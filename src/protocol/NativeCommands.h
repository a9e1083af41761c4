#pragma once

// The exchanges of the native command set on the printer port: sending its frames, and reading
// the four kinds of reply by the rules of each interface.
//
// Every read of a reply goes into a zero-filled 64-byte buffer, so whatever a printer leaves
// out parses as "No Change". No rule waits without bound: a reply whose single-byte read comes
// back empty is over (the port has already waited out its time-outs for it), and the search for
// the '7' header gives up after kHeaderSearchLimit bytes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/PrinterPort.h"
#include "protocol/ExchangeStep.h"
#include "protocol/NativeEncoding.h"
#include "protocol/NativeFrames.h"

namespace corvane::protocol {

// Each send returns true when every part went out whole; the sequences go on either way.
bool SendFrame(link::PrinterPort& port, const Frame& frame);
bool SendEnterUserSetting(link::PrinterPort& port);
bool SendEndUserSetting(link::PrinterPort& port);
// Two writes: the head with block A (the code page switch), then block B. Steps PartWritten
// after each.
bool SendSetMemorySwitches(link::PrinterPort& port, const PinBlock& blockA, const PinBlock& blockB,
                           const StepCallback& step = {});
bool SendTransmitMemorySwitch(link::PrinterPort& port, std::uint8_t selector);
bool SendSetCustomizedValue(link::PrinterPort& port, PaperWidth width);
bool SendTransmitCustomizedValue(link::PrinterPort& port);
// Five writes: head, speed, parity, flow control, data bits. Steps PartWritten after each.
bool SendSetSerialSettings(link::PrinterPort& port, const SerialSettings& settings,
                           const StepCallback& step = {});
bool SendTransmitSerialSetting(link::PrinterPort& port, std::uint8_t item);
bool SendSetPowerSave(link::PrinterPort& port, bool usePowerSave, int seconds);
bool SendTransmitPowerSave(link::PrinterPort& port);

// The byte that starts the replies to TransmitMemorySwitch and EnterUserSetting.
inline constexpr std::uint8_t kReplyHeader = '7';
// Bytes looked at, the first one included, before the search for the header gives up.
inline constexpr std::size_t kHeaderSearchLimit = 64;
inline constexpr std::size_t kReplyBufferSize = 64;
// A switch reply: '7', the identifier, eight pin characters and a terminator.
inline constexpr std::uint32_t kSwitchReplyLength = 11;
// Pause before the first read of a reply on serial and parallel links.
inline constexpr std::uint32_t kReplyPauseMs = 10;
inline constexpr std::uint32_t kPowerSavePauseMs = 200;
inline constexpr int kPowerSaveReads = 3;
inline constexpr std::uint32_t kModeReplyPauseMs = 1000;
inline constexpr std::uint32_t kModeReplyLength = 3;
inline constexpr std::uint32_t kUsbModeReplyLength = 15;

enum class HeaderSearch { Without, With };

// A switch reply's pins, and whether the whole reply came: the header, found by the search or
// standing first, and every byte of its block. Missing bytes read as "No Change".
struct SwitchReply {
    SwitchPins pins{};
    bool complete = false;
};

// The reply to TransmitMemorySwitch. A header search that ends without a '7' gives every pin
// "No Change". Steps Start, then on serial and parallel FirstByteRead, then HeaderSearched (only
// with the search), BlockRead (the 10-byte read, or the USB block), and PinConverted per pin.
SwitchReply ReadSwitchReply(link::PrinterPort& port, HeaderSearch search,
                            const StepCallback& step = {});

enum class ValueForm {
    Speed,         // four or five digits, then NUL
    OneCharacter,  // one character, then NUL
};

// The value text of a reply to TransmitSerialSetting or TransmitCustomizedValue, and whether the
// whole reply came, up to its closing NUL. The text is empty when nothing arrived, or when the
// reply stopped inside its four header bytes.
struct ValueReply {
    std::string text;
    bool complete = false;
};
ValueReply ReadValueReply(link::PrinterPort& port, ValueForm form);

// The reply to TransmitPowerSave. Without a '_' the use flag is off and the caller keeps its
// seconds; with one, the flag is on exactly when the next byte is 01 and the byte after that is
// the time in seconds. A '_' whose two bytes did not come before a short reply ended counts as
// no '_'.
struct PowerSaveReply {
    bool found = false;
    bool usePowerSave = false;
    int seconds = 0;
};
PowerSaveReply ReadPowerSaveReply(link::PrinterPort& port);

enum class ModeReplyForm {
    Fixed,     // pause 1000 ms, read 3 bytes (KRT-310 family)
    Searched,  // USB: read 15, again if empty; else pause 10 ms, 1 byte, header search, 2 bytes
};

// Drains the reply to EnterUserSetting, which nothing interprets. The searched form steps Start
// (USB), or FirstByteRead, HeaderSearched and BlockRead (serial and parallel).
void ReadModeReply(link::PrinterPort& port, ModeReplyForm form, const StepCallback& step = {});

}  // namespace corvane::protocol
