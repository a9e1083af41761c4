#include "protocol/LineModeCommands.h"

#include "link/PrinterPort.h"

namespace corvane::protocol {

namespace {

// The print status command without its second 00 byte.
constexpr std::uint32_t kPrintStatusShortLength = 10;

}  // namespace

bool LineModeCommands::SendPrintStatus(link::PrinterPort& port, PrintStatusForm form) {
    std::uint32_t length = form == PrintStatusForm::TwoNuls
                               ? static_cast<std::uint32_t>(kPrintStatus.size())
                               : kPrintStatusShortLength;
    return port.Write({kPrintStatus.data(), length});
}

bool LineModeCommands::SendSpeedCommands(link::PrinterPort& port, LineModeSpeed speed) {
    std::array<std::uint8_t, 10> set = SpeedSetCommand(speed);
    bool clearSent = port.Write(kSpeedClear);
    bool setSent = port.Write(set);
    bool tSent = port.Write(kSpeedT);
    return clearSent && setSent && tSent;
}

std::uint8_t LineModeCommands::SpeedDigit(LineModeSpeed speed) {
    // The printer's speed codes are not in speed order: 2400 bps is its code 0.
    switch (speed) {
        case LineModeSpeed::Bps1200:
            return '1';
        case LineModeSpeed::Bps2400:
            return '0';
        case LineModeSpeed::Bps4800:
            return '2';
        case LineModeSpeed::Bps9600:
            return '3';
        case LineModeSpeed::Bps19200:
            return '4';
    }
    return '1';
}

std::array<std::uint8_t, 10> LineModeCommands::SpeedSetCommand(LineModeSpeed speed) {
    return {0x1B, 0x1F, 0x23, 0x2B, 0x30, SpeedDigit(speed), 0x30, 0x30, 0x0A, 0x00};
}

std::optional<LineModeSpeed> LineModeCommands::SpeedOf(std::uint32_t bitsPerSecond) {
    switch (bitsPerSecond) {
        case 1200:
            return LineModeSpeed::Bps1200;
        case 2400:
            return LineModeSpeed::Bps2400;
        case 4800:
            return LineModeSpeed::Bps4800;
        case 9600:
            return LineModeSpeed::Bps9600;
        case 19200:
            return LineModeSpeed::Bps19200;
        default:
            return std::nullopt;
    }
}

}  // namespace corvane::protocol
