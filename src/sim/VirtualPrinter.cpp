#include "sim/VirtualPrinter.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace corvane::sim {

namespace {

constexpr std::uint8_t kHeader = '7';
constexpr std::uint8_t kTextHeader = '_';
constexpr int kSwitchCount = 8;

std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char digits[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(byte));
        if (!text.empty()) {
            text += ' ';
        }
        text += digits;
    }
    return text;
}

std::string Hex(std::uint8_t byte) {
    return Hex(std::span<const std::uint8_t>(&byte, 1));
}

// Printable bytes as they are, others as \xNN, so that every log line stays readable.
std::string Readable(std::span<const std::uint8_t> bytes) {
    std::string text;
    char escaped[8];
    for (std::uint8_t byte : bytes) {
        if (byte >= 0x20 && byte < 0x7F) {
            text += static_cast<char>(byte);
        } else {
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(byte));
            text += escaped;
        }
    }
    return text;
}

std::string Readable(const std::string& text) {
    return Readable(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool IsHexDigit(std::uint8_t c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

int HexValue(std::uint8_t c) {
    return c <= '9' ? c - '0' : c - 'A' + 10;
}

// Reads words of four upper-case hexadecimal digits; false when the text is anything else.
bool ParseWords(std::span<const std::uint8_t> digits, std::vector<std::uint16_t>& words) {
    if (digits.size() % 4 != 0) {
        return false;
    }
    words.clear();
    for (std::size_t i = 0; i < digits.size(); i += 4) {
        std::uint16_t word = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            if (!IsHexDigit(digits[i + k])) {
                return false;
            }
            word = static_cast<std::uint16_t>(word * 16 + HexValue(digits[i + k]));
        }
        words.push_back(word);
    }
    return true;
}

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

VirtualPrinter::Reply TextReply(const std::string& text) {
    VirtualPrinter::Reply reply{kTextHeader};
    reply.insert(reply.end(), text.begin(), text.end());
    reply.push_back(0x00);
    return reply;
}

// The value reply: four header bytes that the host skips, the value, NUL.
VirtualPrinter::Reply ValueReply(std::uint8_t fn, std::uint8_t item, const std::string& value) {
    VirtualPrinter::Reply reply{'#', fn, item, static_cast<std::uint8_t>(value.size())};
    reply.insert(reply.end(), value.begin(), value.end());
    reply.push_back(0x00);
    return reply;
}

}  // namespace

VirtualPrinter::VirtualPrinter(Model model, Emulation emulation)
    : model_(model), emulation_(emulation), identity_(DefaultIdentity(model)) {
    for (int number = 1; number <= kSwitchCount; ++number) {
        state_.switches[number] = 0;
    }
}

std::vector<int> VirtualPrinter::SwitchNumbers() const {
    std::vector<int> numbers;
    for (const auto& [number, pins] : state_.switches) {
        numbers.push_back(number);
    }
    return numbers;
}

int VirtualPrinter::CodePageSwitch() const {
    return IsKrt310Family(model_) ? 2 : 1;
}

int VirtualPrinter::SecondSwitch() const {
    return IsKrt310Family(model_) ? 8 : 5;
}

std::uint8_t VirtualPrinter::Switch(int number) const {
    auto it = state_.switches.find(number);
    return it == state_.switches.end() ? 0 : it->second;
}

void VirtualPrinter::SetSwitch(int number, std::uint8_t pins) {
    auto it = state_.switches.find(number);
    if (it != state_.switches.end()) {
        it->second = pins;
    }
}

std::string VirtualPrinter::SwitchText(int number) const {
    return PinText(Switch(number));
}

int VirtualPrinter::SwitchFromSelector(std::uint8_t selector) const {
    // The KRT-310 family numbers its switches with number bytes, the KRT-620 with digits.
    int number = IsKrt310Family(model_) ? selector : selector - '0';
    return state_.switches.count(number) != 0 ? number : 0;
}

void VirtualPrinter::ClearLogs() {
    printout_.clear();
    commands_.clear();
}

bool VirtualPrinter::IsUnpluggedAt(std::chrono::microseconds now) const {
    if (unplugged_) {
        return true;
    }
    if (faults_.unplugAt && now >= *faults_.unplugAt) {
        return true;
    }
    return faults_.unplugAfterCommands && commandCount_ >= *faults_.unplugAfterCommands;
}

std::vector<VirtualPrinter::Reply> VirtualPrinter::Feed(std::span<const std::uint8_t> bytes) {
    std::vector<Reply> raw;
    decoder_.Push(bytes);
    while (auto frame = decoder_.Next()) {
        if (faults_.unplugAfterCommands && commandCount_ >= *faults_.unplugAfterCommands) {
            // The cable came out: whatever followed never reached the printer.
            decoder_.Clear();
            break;
        }
        Execute(*frame, raw);
    }
    std::vector<Reply> replies;
    if (faults_.silent) {
        return replies;
    }
    for (auto& reply : raw) {
        if (!faults_.noiseBeforeHeader.empty() && !reply.empty() && reply[0] == kHeader) {
            reply.insert(reply.begin(), faults_.noiseBeforeHeader.begin(),
                         faults_.noiseBeforeHeader.end());
        }
        if (faults_.cutAfter && reply.size() > *faults_.cutAfter) {
            reply.resize(*faults_.cutAfter);
        }
        if (faults_.silentAfterBytes) {
            std::size_t left = *faults_.silentAfterBytes > replyBytesSent_
                                   ? *faults_.silentAfterBytes - replyBytesSent_
                                   : 0;
            reply.resize(std::min(reply.size(), left));
        }
        replyBytesSent_ += reply.size();
        if (!reply.empty()) {
            replies.push_back(std::move(reply));
        }
    }
    return replies;
}

void VirtualPrinter::Ignore(const std::string& what, const std::string& why) {
    Log("ignored " + what + ": " + why);
}

void VirtualPrinter::Execute(const Frame& frame, std::vector<Reply>& replies) {
    const auto& b = frame.bytes;
    if (frame.kind != FrameKind::Text && frame.kind != FrameKind::LineFeed &&
        frame.kind != FrameKind::Control) {
        ++commandCount_;
    }
    if (!state_.selected && frame.kind != FrameKind::SelectPrinter) {
        if (frame.kind != FrameKind::Control) {
            Ignore(Hex(b), "printer deselected");
        }
        return;
    }
    switch (frame.kind) {
        case FrameKind::Text:
            pendingText_ += Readable(b);
            return;
        case FrameKind::LineFeed:
            Print(pendingText_);
            pendingText_.clear();
            return;
        case FrameKind::Control:
            // NUL and CR are fillers that hosts send after commands.
            if (b[0] != 0x00 && b[0] != 0x0D) {
                Ignore("control byte " + Hex(b), "not a command");
            }
            return;
        case FrameKind::Initialize:
            // Initializing discards text that was not yet printed; settings stay.
            pendingText_.clear();
            Log("initialize");
            return;
        case FrameKind::SelectPrinter:
            state_.selected = (b[2] & 0x01) != 0;
            Log(std::string(state_.selected ? "select printer " : "deselect printer ") + Hex(b[2]));
            return;
        case FrameKind::Identify:
            ExecuteIdentify(frame, replies);
            return;
        case FrameKind::EmulationQuery:
            if (emulation_ == Emulation::Native) {
                Ignore("emulation query", "native emulation");
                return;
            }
            replies.push_back(
                {static_cast<std::uint8_t>(emulation_ == Emulation::Other02 ? 0x02 : 0x03)});
            Log("emulation query");
            return;
        case FrameKind::NativeSetting:
        case FrameKind::PowerSaveSet:
        case FrameKind::PowerSaveTransmit:
            if (emulation_ != Emulation::Native) {
                Ignore("native command " + Hex(b), "line-mode emulation");
                return;
            }
            ExecuteNative(frame, replies);
            return;
        case FrameKind::TestPrint:
            ExecuteTestPrint(frame);
            return;
        case FrameKind::Cut: {
            FlushText();
            bool partial = b[2] == 1 || b[2] == '1' || b[2] == 'B';
            Print(partial ? "--- partial cut ---" : "--- cut ---");
            Log(partial ? "partial cut" : "cut");
            return;
        }
        case FrameKind::Alignment:
            ExecuteAlignment(frame);
            return;
        case FrameKind::LineSwitch:
        case FrameKind::LineSpeed:
            if (emulation_ == Emulation::Native) {
                Ignore("line-mode command " + Readable(b), "native emulation");
                return;
            }
            if (frame.kind == FrameKind::LineSwitch) {
                ExecuteLineSwitch(frame);
            } else {
                ExecuteLineSpeed(frame);
            }
            return;
        case FrameKind::Malformed:
            Ignore(Hex(b), "impossible length");
            return;
        case FrameKind::Unknown:
            Ignore(Hex(b), "unknown command");
            return;
    }
}

void VirtualPrinter::ExecuteIdentify(const Frame& frame, std::vector<Reply>& replies) {
    switch (frame.bytes[2]) {
        case 0x03:
            replies.push_back({identity_.versionId});
            Log("version-id request");
            return;
        case 'A':
            replies.push_back(TextReply(identity_.firmware));
            Log("version-text request");
            return;
        case 'B':
            replies.push_back(TextReply(identity_.maker));
            Log("maker request");
            return;
        case 'C':
            replies.push_back(TextReply(identity_.model));
            Log("model request");
            return;
        case 'E':
            replies.push_back(TextReply(identity_.language));
            Log("language request");
            return;
        default:
            Ignore("identification request " + Hex(frame.bytes), "unknown item");
            return;
    }
}

void VirtualPrinter::ExecuteNative(const Frame& frame, std::vector<Reply>& replies) {
    const auto& b = frame.bytes;
    if (frame.kind == FrameKind::PowerSaveSet) {
        std::uint8_t flag = b[4];
        if (flag > 1) {
            Ignore("SetPowerSave " + Hex(b), "use flag must be 00 or 01");
            return;
        }
        state_.powerSave = flag == 1;
        state_.powerSaveSeconds = b[5];
        Log("SetPowerSave " + Hex(flag) + " " + std::to_string(b[5]));
        return;
    }
    if (frame.kind == FrameKind::PowerSaveTransmit) {
        replies.push_back({kTextHeader, static_cast<std::uint8_t>(state_.powerSave ? 1 : 0),
                           state_.powerSaveSeconds});
        Log("TransmitPowerSave");
        return;
    }
    // BS ^ E pL pH fn parameters: the count pL + pH * 256 covers fn and the parameters.
    std::size_t count = b.size() - 5;
    std::uint8_t fn = b[5];
    std::span<const std::uint8_t> p(b.data() + 6, b.size() - 6);
    auto wrongLength = [&](const std::string& name) {
        Ignore(name + " " + Hex(b), "wrong length " + std::to_string(count));
    };
    switch (fn) {
        case 0x01:
            if (count != 1) {
                return wrongLength("EnterUserSetting");
            }
            state_.userSettingMode = true;
            replies.push_back({kHeader, 0x01, 0x00});
            Log("EnterUserSetting");
            return;
        case 0x02:
            if (count != 1) {
                return wrongLength("EndUserSetting");
            }
            if (!state_.userSettingMode) {
                Ignore("EndUserSetting", "not in user setting mode");
                return;
            }
            state_.userSettingMode = false;
            Log("EndUserSetting");
            // Leaving user setting mode prints the switch status.
            PrintSwitchStatus();
            return;
        case 0x03: {
            if (count != 17) {
                return wrongLength("SetMemorySwitches");
            }
            std::string name =
                "SetMemorySwitches " + Readable(p.first(8)) + " " + Readable(p.subspan(8, 8));
            if (!state_.userSettingMode) {
                Ignore(name, "not in user setting mode");
                return;
            }
            std::string note;
            SetPins(CodePageSwitch(), p.first(8), note);
            SetPins(SecondSwitch(), p.subspan(8, 8), note);
            Log(name + note);
            return;
        }
        case 0x04: {
            if (count != 2) {
                return wrongLength("TransmitMemorySwitch");
            }
            int number = SwitchFromSelector(p[0]);
            if (number == 0) {
                Ignore("TransmitMemorySwitch " + Hex(p[0]), "no such memory switch");
                return;
            }
            Reply reply{kHeader, p[0]};
            std::string pins = SwitchText(number);
            reply.insert(reply.end(), pins.begin(), pins.end());
            reply.push_back(0x00);
            replies.push_back(std::move(reply));
            Log("TransmitMemorySwitch " + Hex(p[0]));
            return;
        }
        case 0x05: {
            if (count != 3) {
                return wrongLength("SetCustomizedValue");
            }
            std::string name = "SetCustomizedValue " + Hex(p);
            if (!state_.userSettingMode) {
                Ignore(name, "not in user setting mode");
                return;
            }
            if ((p[0] != 2 && p[0] != 4 && p[0] != 5) || p[1] != 0) {
                Ignore(name, "no such paper width");
                return;
            }
            state_.paperWidth = p[0];
            Log(name);
            return;
        }
        case 0x06:
            if (count != 2) {
                return wrongLength("TransmitCustomizedValue");
            }
            if (p[0] != 0x03) {
                Ignore("TransmitCustomizedValue " + Hex(p[0]), "no such customized value");
                return;
            }
            replies.push_back(
                ValueReply(fn, p[0], std::string(1, static_cast<char>('0' + state_.paperWidth))));
            Log("TransmitCustomizedValue " + Hex(p[0]));
            return;
        case 0x0B:
            if (count != 8 && count != 9) {
                return wrongLength("SetSerialSettings");
            }
            ExecuteSerialSettings(p);
            return;
        case 0x0C: {
            if (count != 2) {
                return wrongLength("TransmitSerialSetting");
            }
            std::string value;
            switch (p[0]) {
                case 0x01:
                    value = state_.serial.speed;
                    break;
                case 0x02:
                    value = std::string(1, state_.serial.parity);
                    break;
                case 0x03:
                    value = std::string(1, state_.serial.flowControl);
                    break;
                case 0x04:
                    value = std::string(1, state_.serial.dataBits);
                    break;
                default:
                    Ignore("TransmitSerialSetting " + Hex(p[0]), "no such serial item");
                    return;
            }
            replies.push_back(ValueReply(fn, p[0], value));
            Log("TransmitSerialSetting " + Hex(p[0]));
            return;
        }
        default:
            Ignore(Hex(b), "unknown function " + Hex(fn));
            return;
    }
}

void VirtualPrinter::ExecuteSerialSettings(std::span<const std::uint8_t> p) {
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
        Ignore(name, why);
        return;
    }
    // A NUL field leaves that item as it is.
    if (!keepSpeed) {
        state_.serial.speed = speedText;
    }
    if (parity != 0) {
        state_.serial.parity = static_cast<char>(parity);
    }
    if (flow != 0) {
        state_.serial.flowControl = static_cast<char>(flow);
    }
    if (dataBits != 0) {
        state_.serial.dataBits = static_cast<char>(dataBits);
    }
    Log(name);
}

void VirtualPrinter::SetPins(int number, std::span<const std::uint8_t> block, std::string& note) {
    const auto& stuck = faults_.stuckSwitches;
    if (std::find(stuck.begin(), stuck.end(), number) != stuck.end()) {
        note += "; switch " + std::to_string(number) + " is stuck, left unchanged";
        return;
    }
    std::uint8_t pins = Switch(number);
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
    SetSwitch(number, pins);
}

void VirtualPrinter::ExecuteTestPrint(const Frame& frame) {
    const auto& b = frame.bytes;
    // GS ( A 02 00 n m: n 01, m 02 for the first self test and 03 for the second.
    if (b.size() != 7 || b[5] != 0x01 || (b[6] != 0x02 && b[6] != 0x03)) {
        Ignore("test print " + Hex(b), "unknown test");
        return;
    }
    FlushText();
    if (b[6] == 0x02) {
        Log("self test 1");
        Print("=== Self test 1 ===");
        PrintSettings();
    } else {
        Log("self test 2");
        Print("=== Self test 2 ===");
        std::string pattern;
        for (int c = 0x20; c < 0x7F; ++c) {
            pattern += static_cast<char>(c);
        }
        for (std::size_t row = 0; row < 4; ++row) {
            std::string line = pattern.substr(row * 8) + pattern.substr(0, row * 8);
            Print(line.substr(0, 48));
        }
    }
    Print("=== end ===");
}

void VirtualPrinter::ExecuteAlignment(const Frame& frame) {
    const auto& b = frame.bytes;
    if (model_ != Model::Krt620) {
        Ignore("alignment command " + Hex(b), "only the KRT-620 has vertical alignment");
        return;
    }
    static const char* const kRows[] = {"[A]", "[B]", "[C]", "[D]"};
    switch (b[3]) {
        case 0x01:
        case 0x03: {
            if (b[4] != 0x00) {
                Ignore("alignment print " + Hex(b), "parameter must be 00");
                return;
            }
            FlushText();
            bool pattern = b[3] == 0x01;
            Log(pattern ? "alignment pattern print" : "alignment verify print");
            Print(pattern ? "=== Vertical alignment pattern ==="
                          : "=== Vertical alignment verify ===");
            for (int row = 0; row < 4; ++row) {
                std::string offset =
                    std::to_string(state_.alignment[static_cast<std::size_t>(row)]);
                if (pattern) {
                    Print(std::string(kRows[row]) + "  -3  -2  -1   0   1   2   3   (stored " +
                          offset + ")");
                } else {
                    Print(std::string(kRows[row]) + " offset " + offset);
                }
            }
            Print("=== end ===");
            return;
        }
        case 0x02: {
            std::uint8_t row = b[4];
            std::uint8_t value = b[5];
            if (row < 1 || row > 4 || value < 1 || value > 7) {
                Ignore("store alignment " + Hex(b), "row must be 01 to 04 and value 01 to 07");
                return;
            }
            state_.alignment[row - 1u] = value - 4;
            Log("store alignment " + std::string(kRows[row - 1]) + " " + Hex(value));
            return;
        }
        default:
            Ignore("alignment command " + Hex(b), "unknown function");
            return;
    }
}

void VirtualPrinter::ExecuteLineSwitch(const Frame& frame) {
    const auto& b = frame.bytes;
    std::span<const std::uint8_t> body(b.data() + 4, b.size() - 5);  // between op and LF
    std::string name = "line-mode " + Readable(std::span<const std::uint8_t>(b).subspan(3));
    std::uint8_t op = b[3];
    if (op == 'T') {
        if (Readable(body) != "0000") {
            Ignore(name, "print status takes 0000");
            return;
        }
        Log("line-mode print status");
        FlushText();
        PrintLineModeStatus();
        return;
    }
    std::vector<std::uint16_t> words;
    if (!ParseWords(body, words) || words.size() != state_.lineWords.size()) {
        Ignore(name, "needs nine words of four upper-case hexadecimal digits");
        return;
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (op == '-') {
            state_.lineWords[i] = static_cast<std::uint16_t>(state_.lineWords[i] & ~words[i]);
        } else {
            state_.lineWords[i] = static_cast<std::uint16_t>(state_.lineWords[i] | words[i]);
        }
    }
    Log(std::string(op == '-' ? "line-mode clear " : "line-mode set ") + Readable(body));
}

void VirtualPrinter::ExecuteLineSpeed(const Frame& frame) {
    const auto& b = frame.bytes;
    std::span<const std::uint8_t> body(b.data() + 4, b.size() - 5);
    std::string name = "line-mode speed " + Readable(std::span<const std::uint8_t>(b).subspan(3));
    std::uint8_t op = b[3];
    if (op == 'T') {
        if (Readable(body) != "00") {
            Ignore(name, "speed T takes 00");
            return;
        }
        Log("speed T");
        FlushText();
        int speed = LineModeSpeed(state_.speedWord);
        Print("Baud rate: " + (speed > 0 ? std::to_string(speed) + " bps"
                                         : "unknown code " + WordText(state_.speedWord)));
        return;
    }
    std::vector<std::uint16_t> words;
    if (!ParseWords(body, words) || words.size() != 1) {
        Ignore(name, "needs one word of four upper-case hexadecimal digits");
        return;
    }
    if (op == '-') {
        state_.speedWord = static_cast<std::uint16_t>(state_.speedWord & ~words[0]);
    } else {
        state_.speedWord = static_cast<std::uint16_t>(state_.speedWord | words[0]);
    }
    Log(std::string(op == '-' ? "speed clear " : "speed set ") + Readable(body));
}

void VirtualPrinter::FlushText() {
    if (!pendingText_.empty()) {
        Print(pendingText_);
        pendingText_.clear();
    }
}

void VirtualPrinter::PrintSettings() {
    Print("Maker: " + Readable(identity_.maker));
    Print("Model: " + Readable(identity_.model));
    Print("Firmware: " + Readable(identity_.firmware));
    Print("Language: " + Readable(identity_.language));
    Print("Emulation: " + std::string(EmulationName(emulation_)));
    for (int number : SwitchNumbers()) {
        Print("Memory switch " + std::to_string(number) + ": " + SwitchText(number));
    }
    Print("Paper width: " + PaperWidthText(state_.paperWidth));
    const auto& s = state_.serial;
    Print("Serial: " + s.speed + " bps, parity " + ParityName(s.parity) + ", " +
          FlowName(s.flowControl) + ", " + std::string(1, s.dataBits) + " data bits");
    Print("Power save: " + std::string(state_.powerSave ? "on, " : "off, ") +
          std::to_string(state_.powerSaveSeconds) + " s");
    if (emulation_ != Emulation::Native) {
        std::string words;
        for (auto word : state_.lineWords) {
            words += (words.empty() ? "" : " ") + WordText(word);
        }
        Print("Line-mode switches: " + words);
    }
}

void VirtualPrinter::PrintSwitchStatus() {
    FlushText();
    Print("=== Memory switch status ===");
    for (int number : SwitchNumbers()) {
        Print("Memory switch " + std::to_string(number) + ": " + SwitchText(number));
    }
    Print("Paper width: " + PaperWidthText(state_.paperWidth));
    const auto& s = state_.serial;
    Print("Serial: " + s.speed + " bps, parity " + ParityName(s.parity) + ", " +
          FlowName(s.flowControl) + ", " + std::string(1, s.dataBits) + " data bits");
    Print("Power save: " + std::string(state_.powerSave ? "on, " : "off, ") +
          std::to_string(state_.powerSaveSeconds) + " s");
    Print("=== end ===");
}

void VirtualPrinter::PrintLineModeStatus() {
    Print("=== Switch status ===");
    for (std::size_t i = 0; i < state_.lineWords.size(); ++i) {
        Print("Word " + std::to_string(i + 1) + ": " + WordText(state_.lineWords[i]));
    }
    Print("=== end ===");
}

std::string VirtualPrinter::Describe() const {
    std::ostringstream out;
    out << "model: " << ModelName(model_) << "\n";
    out << "emulation: " << EmulationName(emulation_) << "\n";
    out << "version id: " << Hex(identity_.versionId) << "\n";
    out << "firmware: " << Readable(identity_.firmware) << "\n";
    out << "maker: " << Readable(identity_.maker) << "\n";
    out << "model text: " << Readable(identity_.model) << "\n";
    out << "language: " << Readable(identity_.language) << "\n";
    out << "user setting mode: " << (state_.userSettingMode ? "on" : "off") << "\n";
    for (int number : SwitchNumbers()) {
        out << "memory switch " << number << ": " << SwitchText(number) << "\n";
    }
    out << "paper width: " << int{state_.paperWidth} << "\n";
    out << "serial speed: " << state_.serial.speed << "\n";
    out << "serial parity: " << state_.serial.parity << "\n";
    out << "serial flow control: " << state_.serial.flowControl << "\n";
    out << "serial data bits: " << state_.serial.dataBits << "\n";
    out << "power save: " << (state_.powerSave ? "on" : "off") << "\n";
    out << "power save seconds: " << int{state_.powerSaveSeconds} << "\n";
    for (std::size_t i = 0; i < state_.lineWords.size(); ++i) {
        out << "line word " << i + 1 << ": " << WordText(state_.lineWords[i]) << "\n";
    }
    out << "speed word: " << WordText(state_.speedWord) << "\n";
    static const char* const kRows[] = {"A", "B", "C", "D"};
    for (std::size_t i = 0; i < state_.alignment.size(); ++i) {
        out << "alignment " << kRows[i] << ": " << state_.alignment[i] << "\n";
    }
    out << "commands taken: " << commandCount_ << "\n";
    out << "--- commands ---\n";
    for (const auto& line : commands_) {
        out << line << "\n";
    }
    out << "--- printout ---\n";
    for (const auto& line : printout_) {
        out << line << "\n";
    }
    return out.str();
}

void VirtualPrinter::OnOpen(platform::sim::SimLine&) {
    lineFreeAt_ = 0;
}

void VirtualPrinter::OnHostWrite(platform::sim::SimLine& line,
                                 std::span<const std::uint8_t> bytes) {
    auto replies = Feed(bytes);
    using platform::sim::DeviceKind;
    using platform::sim::Micros;
    std::uint32_t baud = line.Kind() == DeviceKind::Serial ? line.Config().baudRate : 0;
    auto byteTime = static_cast<Micros>(faults_.ByteTime(baud).count());
    Micros start =
        std::max<Micros>(line.Now() + static_cast<Micros>(faults_.latency.count()), lineFreeAt_);
    for (const auto& reply : replies) {
        Micros end = start + byteTime * reply.size();
        if (line.Kind() == DeviceKind::Usb || byteTime == 0) {
            // One reply is one USB transfer, complete when its last byte is out.
            line.Deliver(reply, end);
        } else {
            for (std::size_t i = 0; i < reply.size(); ++i) {
                line.Deliver(std::span<const std::uint8_t>(&reply[i], 1),
                             start + byteTime * (i + 1));
            }
        }
        lineFreeAt_ = end;
        start = end;
    }
}

bool VirtualPrinter::Dsr(platform::sim::SimLine&) {
    return dsr_;
}

std::uint8_t VirtualPrinter::ParallelStatus(platform::sim::SimLine&) {
    return parallelStatus_;
}

bool VirtualPrinter::Unplugged(platform::sim::SimLine& line) {
    return IsUnpluggedAt(std::chrono::microseconds(line.Now()));
}

}  // namespace corvane::sim
