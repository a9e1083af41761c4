#include "protocol/LineModeSwitchCommands.h"

#include <algorithm>

#include "link/PrinterPort.h"
#include "protocol/LineModeCommands.h"

namespace corvane::protocol {

namespace {

constexpr std::size_t kHeaderLength = 4;
constexpr std::size_t kDigitsPerWord = 4;
constexpr std::size_t kLineFeedAt = 40;
constexpr std::size_t kNulAt = 41;
constexpr std::uint8_t kClearOperation = '-';
constexpr std::uint8_t kSetOperation = '+';

void WriteHeader(LineModeSwitchCommands::Command& command, std::uint8_t operation) {
    command[0] = 0x1B;
    command[1] = 0x1D;
    command[2] = 0x23;
    command[3] = operation;
    command[kLineFeedAt] = 0x0A;
    command[kNulAt] = 0x00;
}

// A digit the printer cannot read counts as 0, so it can never spill into a neighbour.
int NibbleOf(std::uint8_t digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return 0;
}

std::uint8_t DigitOf(int nibble) {
    return static_cast<std::uint8_t>(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
}

}  // namespace

LineModeSwitchCommands::LineModeSwitchCommands() {
    ResetSwitchCommands();
    WriteHeaders();
}

void LineModeSwitchCommands::WriteHeaders() {
    WriteHeader(clear_, kClearOperation);
    WriteHeader(set_, kSetOperation);
}

bool LineModeSwitchCommands::AddSwitchOption(int word, std::uint16_t clearMask,
                                             std::uint16_t setValue) {
    if (word < 1 || word > kWordCount) {
        return false;
    }
    // Fields of one word never share a bit, so adding them is the same as or-ing them; or-ing
    // keeps every digit a hexadecimal digit even if a field were added twice.
    WriteWord(clear_, word, static_cast<std::uint16_t>(ReadWord(clear_, word) | clearMask));
    WriteWord(set_, word, static_cast<std::uint16_t>(ReadWord(set_, word) | setValue));
    return true;
}

void LineModeSwitchCommands::ResetSwitchCommands() {
    std::fill(clear_.begin() + kHeaderLength, clear_.begin() + kLineFeedAt, '0');
    std::fill(set_.begin() + kHeaderLength, set_.begin() + kLineFeedAt, '0');
}

bool LineModeSwitchCommands::SendSwitchCommands(link::PrinterPort& port) {
    // The printer acts on each command alone, so all three go out even if one fails.
    bool clearSent = port.Write({clear_.data(), kCommandLength});
    bool setSent = port.Write({set_.data(), kCommandLength});
    bool printSent = LineModeCommands::SendPrintStatus(port, PrintStatusForm::OneNul);
    ResetSwitchCommands();
    return clearSent && setSent && printSent;
}

bool LineModeSwitchCommands::Empty() const {
    for (int word = 1; word <= kWordCount; ++word) {
        if (ClearWord(word) != 0 || SetWord(word) != 0) {
            return false;
        }
    }
    return true;
}

std::uint16_t LineModeSwitchCommands::ReadWord(const Command& command, int word) {
    if (word < 1 || word > kWordCount) {
        return 0;
    }
    std::size_t at = kHeaderLength + static_cast<std::size_t>(word - 1) * kDigitsPerWord;
    int value = 0;
    for (std::size_t k = 0; k < kDigitsPerWord; ++k) {
        value = (value << 4) | NibbleOf(command[at + k]);
    }
    return static_cast<std::uint16_t>(value);
}

void LineModeSwitchCommands::WriteWord(Command& command, int word, std::uint16_t value) {
    std::size_t at = kHeaderLength + static_cast<std::size_t>(word - 1) * kDigitsPerWord;
    for (std::size_t k = 0; k < kDigitsPerWord; ++k) {
        int shift = static_cast<int>(4 * (kDigitsPerWord - 1 - k));
        command[at + k] = DigitOf((value >> shift) & 0xF);
    }
}

}  // namespace corvane::protocol
