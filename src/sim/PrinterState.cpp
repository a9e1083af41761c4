#include "sim/PrinterState.h"

#include <cstdio>

namespace corvane::sim {

std::string PinText(std::uint8_t pins) {
    std::string text;
    for (int pin = 8; pin >= 1; --pin) {
        text += (pins >> (pin - 1)) & 1 ? '1' : '0';
    }
    return text;
}

std::string PaperWidthText(std::uint8_t code) {
    switch (code) {
        case 2:
            return "57.5 mm";
        case 4:
            return "69.5 mm";
        case 5:
            return "76 mm";
        default:
            return "code " + std::to_string(code);
    }
}

int LineModeSpeed(std::uint16_t speedWord) {
    switch ((speedWord >> 8) & 0x0F) {
        case 1:
            return 1200;
        case 0:
            return 2400;
        case 2:
            return 4800;
        case 3:
            return 9600;
        case 4:
            return 19200;
        default:
            return 0;
    }
}

std::string WordText(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(word));
    return text;
}

}  // namespace corvane::sim
