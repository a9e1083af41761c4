#pragma once

// What the simulated printer keeps in its memory.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace corvane::sim {

// The four serial communication items, held as the characters the printer reports.
struct SerialSettings {
    std::string speed = "9600";  // "1200", "2400", "4800", "9600" or "19200"
    char parity = '0';           // '0' none, '1' odd, '2' even
    char flowControl = '0';      // '0' DTR/DSR, '1' XON/XOFF
    char dataBits = '8';         // '7' or '8'

    bool operator==(const SerialSettings&) const = default;
};

struct PrinterState {
    // Memory switch number to its pins: bit k-1 holds pin k (1 on, 0 off).
    std::map<int, std::uint8_t> switches;
    std::uint8_t paperWidth = 5;  // customized item 3: 2 = 57.5 mm, 4 = 69.5 mm, 5 = 76 mm
    SerialSettings serial;
    bool powerSave = false;
    std::uint8_t powerSaveSeconds = 60;
    bool userSettingMode = false;
    bool selected = true;  // ESC = 01 selects, ESC = 00 makes the printer ignore data
    // Line-mode switch words 1 to 9 (index 0 is word 1).
    std::array<std::uint16_t, 9> lineWords{};
    // Line-mode speed word; bits 8 to 11 hold the speed code (3 = 9600 bps).
    std::uint16_t speedWord = 0x0300;
    // Vertical alignment offsets -3 to 3 of rows [A] to [D].
    std::array<int, 4> alignment{};

    bool operator==(const PrinterState&) const = default;

    // The memory switches this printer has, in order.
    std::vector<int> SwitchNumbers() const;
    // A switch's pins, bit k-1 holding pin k; 0 for a switch the printer does not have.
    std::uint8_t Switch(int number) const;
    // Changes the pins of a switch the printer has; any other number changes nothing.
    void SetSwitch(int number, std::uint8_t pins);
};

// Eight pin characters, pin 8 first, '1' on and '0' off.
std::string PinText(std::uint8_t pins);
// "57.5 mm", "69.5 mm", "76 mm" or "code N".
std::string PaperWidthText(std::uint8_t code);
// "9600 bps, parity none, DTR/DSR, 8 data bits", as the status printouts show the serial items.
std::string SerialText(const SerialSettings& serial);
// "on, 60 s" or "off, 60 s".
std::string PowerSaveText(const PrinterState& state);
// Speed in bits per second of a line-mode speed code (the second digit of the speed word), 0
// for a code the printer does not know.
int LineModeSpeed(std::uint16_t speedWord);
// Four upper-case hexadecimal digits.
std::string WordText(std::uint16_t word);

}  // namespace corvane::sim
