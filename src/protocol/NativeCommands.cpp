#include "protocol/NativeCommands.h"

#include <algorithm>
#include <array>

namespace corvane::protocol {

namespace {

using link::InterfaceKind;
using link::PrinterPort;

// Two bytes past the end stay zero, so a '_' in the last place reads a flag and time of 00.
using ReplyBuffer = std::array<std::uint8_t, kReplyBufferSize + 2>;

void Notify(const StepCallback& step, ExchangeStep point) {
    if (step) {
        step(point);
    }
}

bool SendParts(PrinterPort& port, const std::vector<Frame>& parts, const StepCallback& step) {
    bool all = true;
    for (const Frame& part : parts) {
        all = SendFrame(port, part) && all;
        Notify(step, ExchangeStep::PartWritten);
    }
    return all;
}

// A USB reply comes as one transfer; a printer that is not ready yet gets one more chance.
std::uint32_t ReadUsbBlock(PrinterPort& port, std::uint8_t* buffer, std::uint32_t length) {
    std::uint32_t count = port.Read({buffer, length});
    if (count == 0) {
        count = port.Read({buffer, length});
    }
    return count;
}

// Reads single bytes into buffer[0] until it holds the header. The byte already there counts as
// the first one looked at; a read that brings nothing ends the search.
bool SearchHeader(PrinterPort& port, std::uint8_t* buffer, bool firstByteArrived) {
    if (!firstByteArrived) {
        return false;
    }
    std::size_t examined = 1;
    while (buffer[0] != kReplyHeader) {
        if (examined >= kHeaderSearchLimit || port.Read({buffer, 1}) == 0) {
            return false;
        }
        ++examined;
    }
    return true;
}

// The power save reply says all it can once its first '_' before any NUL has the use flag and the
// time after it: bytes that come later cannot change what is read from it.
bool PowerSaveReplyComplete(std::span<const std::uint8_t> gathered) {
    auto end = std::find(gathered.begin(), gathered.end(), std::uint8_t{0});
    auto mark = std::find(gathered.begin(), end, std::uint8_t{'_'});
    return mark != end && gathered.end() - mark >= 3;
}

// Converts the eight pin characters, pin 1 (the last character) first.
SwitchPins ConvertPins(const std::uint8_t* characters, const StepCallback& step) {
    SwitchPins pins{};
    for (int pin = 1; pin <= 8; ++pin) {
        pins[static_cast<std::size_t>(pin)] = PinSettingFromCharacter(characters[8 - pin]);
        Notify(step, ExchangeStep::PinConverted);
    }
    return pins;
}

std::string TextFrom(const ReplyBuffer& buffer, std::size_t offset) {
    auto begin = buffer.begin() + static_cast<long>(offset);
    auto end = std::find(begin, buffer.begin() + kReplyBufferSize, std::uint8_t{0});
    return {begin, end};
}

}  // namespace

bool SendFrame(PrinterPort& port, const Frame& frame) {
    return port.Write({frame.bytes.data(), frame.length});
}

bool SendEnterUserSetting(PrinterPort& port) {
    return SendFrame(port, CopyFrame(NativeFrame::EnterUserSetting));
}

bool SendEndUserSetting(PrinterPort& port) {
    return SendFrame(port, CopyFrame(NativeFrame::EndUserSetting));
}

bool SendSetMemorySwitches(PrinterPort& port, const PinBlock& blockA, const PinBlock& blockB,
                           const StepCallback& step) {
    return SendParts(port, SetMemorySwitchesParts(blockA, blockB), step);
}

bool SendTransmitMemorySwitch(PrinterPort& port, std::uint8_t selector) {
    return SendFrame(port, TransmitMemorySwitchFrame(selector));
}

bool SendSetCustomizedValue(PrinterPort& port, PaperWidth width) {
    return SendFrame(port, SetCustomizedValueFrame(width));
}

bool SendTransmitCustomizedValue(PrinterPort& port) {
    return SendFrame(port, CopyFrame(NativeFrame::TransmitCustomizedValue));
}

bool SendSetSerialSettings(PrinterPort& port, const SerialSettings& settings,
                           const StepCallback& step) {
    return SendParts(port, SetSerialSettingsParts(settings), step);
}

bool SendTransmitSerialSetting(PrinterPort& port, std::uint8_t item) {
    return SendFrame(port, TransmitSerialSettingFrame(item));
}

bool SendSetPowerSave(PrinterPort& port, bool usePowerSave, int seconds) {
    return SendFrame(port, SetPowerSaveFrame(usePowerSave, seconds));
}

bool SendTransmitPowerSave(PrinterPort& port) {
    return SendFrame(port, CopyFrame(NativeFrame::TransmitPowerSave));
}

SwitchReply ReadSwitchReply(PrinterPort& port, HeaderSearch search, const StepCallback& step) {
    ReplyBuffer buffer{};
    bool searching = search == HeaderSearch::With;
    Notify(step, ExchangeStep::Start);
    SwitchReply reply;
    if (port.Kind() == InterfaceKind::Usb) {
        // The USB block is the whole reply: '7', identifier, pins 8 to 1 at offsets 2 to 9.
        std::uint32_t count = ReadUsbBlock(port, buffer.data(), kReplyBufferSize);
        Notify(step, ExchangeStep::BlockRead);
        bool usable = true;
        if (searching) {
            usable = SearchHeader(port, buffer.data(), count > 0);
            Notify(step, ExchangeStep::HeaderSearched);
        }
        if (!usable) {
            buffer.fill(0);
        }
        // Without the search a block that does not start with the header is shifted by whatever
        // came first: it is read as it came but not counted as whole.
        reply.complete = usable && count >= kSwitchReplyLength && buffer[0] == kReplyHeader;
        reply.pins = ConvertPins(buffer.data() + 2, step);
        return reply;
    }
    port.Sleep(kReplyPauseMs);
    bool arrived = port.Read({buffer.data(), 1}) == 1;
    Notify(step, ExchangeStep::FirstByteRead);
    // Without the search the first byte is taken as the header unseen.
    bool usable = arrived;
    if (searching) {
        usable = SearchHeader(port, buffer.data(), arrived);
        Notify(step, ExchangeStep::HeaderSearched);
    }
    // A reply whose first byte is not the header is a broken one, whose block would be shifted:
    // it is read as the printer sent it but not counted as whole.
    bool headed = usable && buffer[0] == kReplyHeader;
    buffer.fill(0);
    if (usable) {
        // Identifier at 0, pins 8 to 1 at offsets 1 to 8, terminator at 9.
        reply.complete =
            port.Read({buffer.data(), kSwitchReplyLength - 1}) == kSwitchReplyLength - 1 && headed;
    }
    Notify(step, ExchangeStep::BlockRead);
    reply.pins = ConvertPins(buffer.data() + 1, step);
    return reply;
}

ValueReply ReadValueReply(PrinterPort& port, ValueForm form) {
    ReplyBuffer buffer{};
    ValueReply reply;
    if (port.Kind() == InterfaceKind::Usb) {
        std::uint32_t count = ReadUsbBlock(port, buffer.data(), kReplyBufferSize);
        reply.text = TextFrom(buffer, 4);
        // The reply ends with the NUL after the value.
        reply.complete = count > 4 + reply.text.size();
        return reply;
    }
    port.Sleep(kReplyPauseMs);
    // Five reads into offset 0: the four header bytes are overwritten by the first character.
    for (int i = 0; i < 5; ++i) {
        if (port.Read({buffer.data(), 1}) == 0) {
            return reply;
        }
    }
    bool whole = true;
    if (form == ValueForm::Speed) {
        for (std::size_t offset = 1; offset <= 4 && whole; ++offset) {
            whole = port.Read({buffer.data() + offset, 1}) == 1;
        }
        // A five-digit speed has its fifth digit where a four-digit one has its NUL.
        if (whole && buffer[4] != 0) {
            whole = port.Read({buffer.data() + 5, 1}) == 1;
        }
    } else {
        whole = port.Read({buffer.data() + 1, 1}) == 1;
    }
    reply.text = TextFrom(buffer, 0);
    reply.complete = whole;
    return reply;
}

PowerSaveReply ReadPowerSaveReply(PrinterPort& port) {
    ReplyBuffer buffer{};
    std::uint32_t count = 0;
    for (int attempt = 0; attempt < kPowerSaveReads && count == 0; ++attempt) {
        port.Sleep(kPowerSavePauseMs);
        count = port.ReadReply({buffer.data(), kReplyBufferSize}, PowerSaveReplyComplete);
    }
    PowerSaveReply reply;
    auto end = std::find(buffer.begin(), buffer.begin() + kReplyBufferSize, std::uint8_t{0});
    auto mark = std::find(buffer.begin(), end, std::uint8_t{'_'});
    auto at = static_cast<std::size_t>(mark - buffer.begin());
    // A reply that ended before its flag and time is no answer, not a time of 0; a full block
    // may go on beyond what it holds, and there the two bytes past its end read as 00.
    if (mark == end || (count < kReplyBufferSize && at + 2 >= count)) {
        return reply;
    }
    reply.found = true;
    reply.usePowerSave = buffer[at + 1] == 0x01;
    reply.seconds = buffer[at + 2];
    return reply;
}

void ReadModeReply(PrinterPort& port, ModeReplyForm form, const StepCallback& step) {
    ReplyBuffer buffer{};
    if (form == ModeReplyForm::Fixed) {
        port.Sleep(kModeReplyPauseMs);
        port.Read({buffer.data(), kModeReplyLength});
        return;
    }
    if (port.Kind() == InterfaceKind::Usb) {
        Notify(step, ExchangeStep::Start);
        ReadUsbBlock(port, buffer.data(), kUsbModeReplyLength);
        return;
    }
    port.Sleep(kReplyPauseMs);
    bool arrived = port.Read({buffer.data(), 1}) == 1;
    Notify(step, ExchangeStep::FirstByteRead);
    bool found = SearchHeader(port, buffer.data(), arrived);
    Notify(step, ExchangeStep::HeaderSearched);
    if (found) {
        port.Read({buffer.data(), kModeReplyLength - 1});
    }
    Notify(step, ExchangeStep::BlockRead);
}

}  // namespace corvane::protocol
