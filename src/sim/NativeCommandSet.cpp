#include "sim/NativeCommandSet.h"

#include <algorithm>

#include "sim/WireText.h"

namespace corvane::sim {

namespace {

// The value reply: four header bytes that the host skips, the value, NUL.
Reply ValueReply(std::uint8_t fn, std::uint8_t item, const std::string& value) {
    Reply reply(value.size() + 5, 0x00);
    reply[0] = '#';
    reply[1] = fn;
    reply[2] = item;
    reply[3] = static_cast<std::uint8_t>(value.size());
    std::copy(value.begin(), value.end(), reply.begin() + 4);
    return reply;
}

}  // namespace

int NativeCommandSet::CodePageSwitch(Model model) {
    return IsKrt310Family(model) ? 2 : 1;
}

int NativeCommandSet::SecondSwitch(Model model) {
    return IsKrt310Family(model) ? 8 : 5;
}

int NativeCommandSet::SwitchFromSelector(std::uint8_t selector) const {
    // The KRT-310 family numbers its switches with number bytes, the KRT-620 with digits.
    int number = IsKrt310Family(printer_.model) ? selector : selector - '0';
    return printer_.state.switches.count(number) != 0 ? number : 0;
}

void NativeCommandSet::PowerSave(const Frame& frame) {
    const auto& b = frame.bytes;
    PrinterState& state = printer_.state;
    if (frame.kind == FrameKind::PowerSaveSet) {
        std::uint8_t flag = b[4];
        if (flag > 1) {
            printer_.log.Ignore("SetPowerSave " + Hex(b), "use flag must be 00 or 01");
            return;
        }
        state.powerSave = flag == 1;
        state.powerSaveSeconds = b[5];
        printer_.log.Log("SetPowerSave " + Hex(flag) + " " + std::to_string(b[5]));
        return;
    }
    printer_.replies.push_back({kTextReplyHeader,
                                static_cast<std::uint8_t>(state.powerSave ? 1 : 0),
                                state.powerSaveSeconds});
    printer_.log.Log("TransmitPowerSave");
}

void NativeCommandSet::Execute(const Frame& frame) {
    const auto& b = frame.bytes;
    if (frame.kind == FrameKind::PowerSaveSet || frame.kind == FrameKind::PowerSaveTransmit) {
        PowerSave(frame);
        return;
    }
    PrinterState& state = printer_.state;
    PrinterLog& log = printer_.log;
    std::vector<Reply>& replies = printer_.replies;
    // BS ^ E pL pH fn parameters: the count pL + pH * 256 covers fn and the parameters.
    std::size_t count = b.size() - 5;
    std::uint8_t fn = b[5];
    std::span<const std::uint8_t> p(b.data() + 6, b.size() - 6);
    auto wrongLength = [&](const std::string& name) {
        log.Ignore(name + " " + Hex(b), "wrong length " + std::to_string(count));
    };
    switch (fn) {
        case 0x01:
            if (count != 1) {
                return wrongLength("EnterUserSetting");
            }
            state.userSettingMode = true;
            replies.push_back({kReplyHeader, 0x01, 0x00});
            log.Log("EnterUserSetting");
            return;
        case 0x02:
            if (count != 1) {
                return wrongLength("EndUserSetting");
            }
            if (!state.userSettingMode) {
                log.Ignore("EndUserSetting", "not in user setting mode");
                return;
            }
            state.userSettingMode = false;
            log.Log("EndUserSetting");
            // Leaving user setting mode prints the switch status.
            PrintSwitchStatus(state, log);
            return;
        case 0x03: {
            if (count != 17) {
                return wrongLength("SetMemorySwitches");
            }
            std::string name =
                "SetMemorySwitches " + Readable(p.first(8)) + " " + Readable(p.subspan(8, 8));
            if (!state.userSettingMode) {
                log.Ignore(name, "not in user setting mode");
                return;
            }
            std::string note;
            SetPins(CodePageSwitch(printer_.model), p.first(8), note);
            SetPins(SecondSwitch(printer_.model), p.subspan(8, 8), note);
            log.Log(name + note);
            return;
        }
        case 0x04: {
            if (count != 2) {
                return wrongLength("TransmitMemorySwitch");
            }
            int number = SwitchFromSelector(p[0]);
            if (number == 0) {
                log.Ignore("TransmitMemorySwitch " + Hex(p[0]), "no such memory switch");
                return;
            }
            // The header, the selector, the eight pin characters, NUL.
            std::string pins = PinText(state.Switch(number));
            Reply reply(pins.size() + 3, 0x00);
            reply[0] = kReplyHeader;
            reply[1] = p[0];
            std::copy(pins.begin(), pins.end(), reply.begin() + 2);
            replies.push_back(std::move(reply));
            log.Log("TransmitMemorySwitch " + Hex(p[0]));
            return;
        }
        case 0x05: {
            if (count != 3) {
                return wrongLength("SetCustomizedValue");
            }
            std::string name = "SetCustomizedValue " + Hex(p);
            if (!state.userSettingMode) {
                log.Ignore(name, "not in user setting mode");
                return;
            }
            if ((p[0] != 2 && p[0] != 4 && p[0] != 5) || p[1] != 0) {
                log.Ignore(name, "no such paper width");
                return;
            }
            state.paperWidth = p[0];
            log.Log(name);
            return;
        }
        case 0x06:
            if (count != 2) {
                return wrongLength("TransmitCustomizedValue");
            }
            if (p[0] != 0x03) {
                log.Ignore("TransmitCustomizedValue " + Hex(p[0]), "no such customized value");
                return;
            }
            replies.push_back(
                ValueReply(fn, p[0], std::string(1, static_cast<char>('0' + state.paperWidth))));
            log.Log("TransmitCustomizedValue " + Hex(p[0]));
            return;
        case 0x0B:
            if (count != 8 && count != 9) {
                return wrongLength("SetSerialSettings");
            }
            SetSerialSettings(p);
            return;
        case 0x0C: {
            if (count != 2) {
                return wrongLength("TransmitSerialSetting");
            }
            std::string value;
            switch (p[0]) {
                case 0x01:
                    value = state.serial.speed;
                    break;
                case 0x02:
                    value = std::string(1, state.serial.parity);
                    break;
                case 0x03:
                    value = std::string(1, state.serial.flowControl);
                    break;
                case 0x04:
                    value = std::string(1, state.serial.dataBits);
                    break;
                default:
                    log.Ignore("TransmitSerialSetting " + Hex(p[0]), "no such serial item");
                    return;
            }
            replies.push_back(ValueReply(fn, p[0], value));
            log.Log("TransmitSerialSetting " + Hex(p[0]));
            return;
        }
        default:
            log.Ignore(Hex(b), "unknown function " + Hex(fn));
            return;
    }
}

void NativeCommandSet::SetSerialSettings(std::span<const std::uint8_t> p) {
    // The speed field is four bytes, or five for "19200"; then parity, flow control, data bits.
    std::size_t speedLength = p.size() - 3;
    std::span<const std::uint8_t> speed = p.first(speedLength);
    std::uint8_t parity = p[speedLength];
    std::uint8_t flow = p[speedLength + 1];
    std::uint8_t dataBits = p[speedLength + 2];
    std::string name = "SetSerialSettings " + Readable(p);
    bool keepSpeed = std::all_of(speed.begin(), speed.end(), [](std::uint8_t c) { return c == 0; });
    std::string speedText(speed.begin(), speed.end());
    bool speedOk = keepSpeed ? speedLength == 4
                             : speedText == "1200" || speedText == "2400" || speedText == "4800" ||
                                   speedText == "9600" || speedText == "19200";
    bool parityOk = parity == 0 || parity == '0' || parity == '1' || parity == '2';
    bool flowOk = flow == 0 || flow == '0' || flow == '1';
    bool dataBitsOk = dataBits == 0 || dataBits == '7' || dataBits == '8';
    if (!speedOk || !parityOk || !flowOk || !dataBitsOk) {
        std::string why = !speedOk    ? "bad speed"
                          : !parityOk ? "bad parity"
                          : !flowOk   ? "bad flow control"
                                      : "bad data bits";
        printer_.log.Ignore(name, why);
        return;
    }
    // A NUL field leaves that item as it is.
    auto& serial = printer_.state.serial;
    if (!keepSpeed) {
        serial.speed = speedText;
    }
    if (parity != 0) {
        serial.parity = static_cast<char>(parity);
    }
    if (flow != 0) {
        serial.flowControl = static_cast<char>(flow);
    }
    if (dataBits != 0) {
        serial.dataBits = static_cast<char>(dataBits);
    }
    printer_.log.Log(name);
}

void NativeCommandSet::SetPins(int number, std::span<const std::uint8_t> block, std::string& note) {
    const auto& stuck = printer_.faults.stuckSwitches;
    if (std::find(stuck.begin(), stuck.end(), number) != stuck.end()) {
        note += "; switch " + std::to_string(number) + " is stuck, left unchanged";
        return;
    }
    std::uint8_t pins = printer_.state.Switch(number);
    for (int i = 0; i < 8; ++i) {
        int pin = 8 - i;
        std::uint8_t bit = static_cast<std::uint8_t>(1u << (pin - 1));
        switch (block[static_cast<std::size_t>(i)]) {
            case '0':
                pins = static_cast<std::uint8_t>(pins & ~bit);
                break;
            case '1':
                pins = static_cast<std::uint8_t>(pins | bit);
                break;
            case '2':
                break;
            default:
                // Anything but '0', '1' and '2' leaves the pin as it is, noted for the tests.
                note += "; switch " + std::to_string(number) + " pin " + std::to_string(pin) +
                        " got '" + Readable(block.subspan(static_cast<std::size_t>(i), 1)) +
                        "', left unchanged";
                break;
        }
    }
    printer_.state.SetSwitch(number, pins);
}

void NativeCommandSet::PrintSwitchStatus(const PrinterState& state, PrinterLog& log) {
    log.FlushText();
    log.Print("=== Memory switch status ===");
    for (int number : state.SwitchNumbers()) {
        log.Print("Memory switch " + std::to_string(number) + ": " + PinText(state.Switch(number)));
    }
    log.Print("Paper width: " + PaperWidthText(state.paperWidth));
    log.Print("Serial: " + SerialText(state.serial));
    log.Print("Power save: " + PowerSaveText(state));
    log.Print("=== end ===");
}

}  // namespace corvane::sim
