#include "sim/PrinterState.h"

#include <cstdio>

namespace corvane::sim {

namespace {

std::string ParityName(char parity) {
    switch (parity) {
        case '0':
            return "none";
        case '1':
            return "odd";
        case '2':
            return "even";
        default:
            return "?";
    }
}

std::string FlowName(char flow) {
    switch (flow) {
        case '0':
            return "DTR/DSR";
        case '1':
            return "XON/XOFF";
        default:
            return "?";
    }
}

}  // namespace

std::vector<int> PrinterState::SwitchNumbers() const {
    std::vector<int> numbers;
    for (const auto& [number, pins] : switches) {
        numbers.push_back(number);
    }
    return numbers;
}

std::uint8_t PrinterState::Switch(int number) const {
    auto it = switches.find(number);
    return it == switches.end() ? 0 : it->second;
}

void PrinterState::SetSwitch(int number, std::uint8_t pins) {
    auto it = switches.find(number);
    if (it != switches.end()) {
        it->second = pins;
    }
}

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

std::string SerialText(const SerialSettings& serial) {
    return serial.speed + " bps, parity " + ParityName(serial.parity) + ", " +
           FlowName(serial.flowControl) + ", " + std::string(1, serial.dataBits) + " data bits";
}

std::string PowerSaveText(const PrinterState& state) {
    return std::string(state.powerSave ? "on, " : "off, ") +
           std::to_string(state.powerSaveSeconds) + " s";
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
