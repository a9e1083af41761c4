#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace corvane::link {
class PrinterPort;
}

namespace corvane::protocol {

// Serial speeds that the line-mode speed commands can give the printer.
enum class LineModeSpeed { Bps1200, Bps2400, Bps4800, Bps9600, Bps19200 };

// How many 00 bytes follow the line feed of the print status command: the memory switch
// dialogs send one, the code page dialog's print button two.
enum class PrintStatusForm { OneNul, TwoNuls };

// The fixed line-mode commands: the switch family's print status command and the speed family
// (ESC US "#"). None of them has a reply.
class LineModeCommands {
public:
    static constexpr std::array<std::uint8_t, 11> kPrintStatus = {
        0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00, 0x00};
    static constexpr std::array<std::uint8_t, 10> kSpeedClear = {0x1B, 0x1F, 0x23, 0x2D, 0x30,
                                                                 0x46, 0x30, 0x30, 0x0A, 0x00};
    static constexpr std::array<std::uint8_t, 8> kSpeedT = {0x1B, 0x1F, 0x23, 0x54,
                                                            0x30, 0x30, 0x0A, 0x00};

    // Makes the printer print its switch settings; returns whether the write went out.
    static bool SendPrintStatus(link::PrinterPort& port,
                                PrintStatusForm form = PrintStatusForm::OneNul);

    // Writes the speed clear, speed set and speed T commands back to back, with no pause; the
    // link's own speed is left alone. Returns whether all three writes went out.
    static bool SendSpeedCommands(link::PrinterPort& port, LineModeSpeed speed);

    // The speed code the printer expects in the second digit of its speed word.
    static std::uint8_t SpeedDigit(LineModeSpeed speed);
    // The speed set command, ESC US "#" "+" "0" d "00" LF 00.
    static std::array<std::uint8_t, 10> SpeedSetCommand(LineModeSpeed speed);
    // The speed of a number of bits per second (1200 to 19200), or nothing for a speed the
    // printer does not have.
    static std::optional<LineModeSpeed> SpeedOf(std::uint32_t bitsPerSecond);
};

}  // namespace corvane::protocol
