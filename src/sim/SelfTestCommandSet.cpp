#include "sim/SelfTestCommandSet.h"

#include <string>

#include "sim/WireText.h"

namespace corvane::sim {

void SelfTestCommandSet::TestPrint(const Frame& frame) {
    const auto& b = frame.bytes;
    PrinterLog& log = printer_.log;
    // GS ( A 02 00 n m: n 01, m 02 for the first self test and 03 for the second.
    if (b.size() != 7 || b[5] != 0x01 || (b[6] != 0x02 && b[6] != 0x03)) {
        log.Ignore("test print " + Hex(b), "unknown test");
        return;
    }
    log.FlushText();
    if (b[6] == 0x02) {
        log.Log("self test 1");
        log.Print("=== Self test 1 ===");
        PrintSettings();
    } else {
        log.Log("self test 2");
        log.Print("=== Self test 2 ===");
        std::string pattern;
        for (int c = 0x20; c < 0x7F; ++c) {
            pattern += static_cast<char>(c);
        }
        for (std::size_t row = 0; row < 4; ++row) {
            std::string line = pattern.substr(row * 8) + pattern.substr(0, row * 8);
            log.Print(line.substr(0, 48));
        }
    }
    log.Print("=== end ===");
}

void SelfTestCommandSet::Alignment(const Frame& frame) {
    const auto& b = frame.bytes;
    PrinterLog& log = printer_.log;
    PrinterState& state = printer_.state;
    if (printer_.model != Model::Krt620) {
        log.Ignore("alignment command " + Hex(b), "only the KRT-620 has vertical alignment");
        return;
    }
    static const char* const kRows[] = {"[A]", "[B]", "[C]", "[D]"};
    switch (b[3]) {
        case 0x01:
        case 0x03: {
            if (b[4] != 0x00) {
                log.Ignore("alignment print " + Hex(b), "parameter must be 00");
                return;
            }
            log.FlushText();
            bool pattern = b[3] == 0x01;
            log.Log(pattern ? "alignment pattern print" : "alignment verify print");
            log.Print(pattern ? "=== Vertical alignment pattern ==="
                              : "=== Vertical alignment verify ===");
            for (int row = 0; row < 4; ++row) {
                std::string offset = std::to_string(state.alignment[static_cast<std::size_t>(row)]);
                if (pattern) {
                    log.Print(std::string(kRows[row]) + "  -3  -2  -1   0   1   2   3   (stored " +
                              offset + ")");
                } else {
                    log.Print(std::string(kRows[row]) + " offset " + offset);
                }
            }
            log.Print("=== end ===");
            return;
        }
        case 0x02: {
            std::uint8_t row = b[4];
            std::uint8_t value = b[5];
            if (row < 1 || row > 4 || value < 1 || value > 7) {
                log.Ignore("store alignment " + Hex(b), "row must be 01 to 04 and value 01 to 07");
                return;
            }
            state.alignment[row - 1u] = value - 4;
            log.Log("store alignment " + std::string(kRows[row - 1]) + " " + Hex(value));
            return;
        }
        default:
            log.Ignore("alignment command " + Hex(b), "unknown function");
            return;
    }
}

void SelfTestCommandSet::PrintSettings() {
    PrinterLog& log = printer_.log;
    const Identity& identity = printer_.identity;
    const PrinterState& state = printer_.state;
    log.Print("Maker: " + Readable(identity.maker));
    log.Print("Model: " + Readable(identity.model));
    log.Print("Firmware: " + Readable(identity.firmware));
    log.Print("Language: " + Readable(identity.language));
    log.Print("Emulation: " + std::string(EmulationName(printer_.emulation)));
    for (int number : state.SwitchNumbers()) {
        log.Print("Memory switch " + std::to_string(number) + ": " + PinText(state.Switch(number)));
    }
    log.Print("Paper width: " + PaperWidthText(state.paperWidth));
    log.Print("Serial: " + SerialText(state.serial));
    log.Print("Power save: " + PowerSaveText(state));
    if (printer_.emulation != Emulation::Native) {
        std::string words;
        for (auto word : state.lineWords) {
            words += (words.empty() ? "" : " ") + WordText(word);
        }
        log.Print("Line-mode switches: " + words);
    }
}

}  // namespace corvane::sim
