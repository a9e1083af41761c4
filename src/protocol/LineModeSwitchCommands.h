#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace corvane::link {
class PrinterPort;
}

namespace corvane::protocol {

// The clear and set commands of the line-mode switch family (ESC GS "#" "-" and ESC GS "#" "+"),
// each carrying nine switch words as four upper-case hexadecimal digits. A dialog owns one
// instance and builds both commands up during one Set, option by option.
class LineModeSwitchCommands {
public:
    static constexpr std::size_t kCommandLength = 42;
    static constexpr int kWordCount = 9;
    using Command = std::array<std::uint8_t, kCommandLength>;

    LineModeSwitchCommands();

    // Writes the headers, the line feed and the closing 00 of both commands again; the digits
    // stay as they are.
    void WriteHeaders();

    // Adds one option's field to the word: the mask into the clear command, the value into the
    // set command. Returns false, changing nothing, for a word outside 1 to 9.
    bool AddSwitchOption(int word, std::uint16_t clearMask, std::uint16_t setValue);

    // Puts all 36 digits of both commands back to "0"; headers, LF and 00 stay.
    void ResetSwitchCommands();

    // Writes the clear command, the set command and the 10-byte print status command, then
    // resets both commands. The printer sends nothing back; returns whether all three writes
    // went out.
    bool SendSwitchCommands(link::PrinterPort& port);

    const Command& ClearCommand() const { return clear_; }
    const Command& SetCommand() const { return set_; }
    // The word as it stands in either command; 0 for a word outside 1 to 9.
    std::uint16_t ClearWord(int word) const { return ReadWord(clear_, word); }
    std::uint16_t SetWord(int word) const { return ReadWord(set_, word); }
    // True when neither command carries a bit.
    bool Empty() const;

private:
    static std::uint16_t ReadWord(const Command& command, int word);
    static void WriteWord(Command& command, int word, std::uint16_t value);

    Command clear_{};
    Command set_{};
};

}  // namespace corvane::protocol
