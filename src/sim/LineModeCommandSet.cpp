#include "sim/LineModeCommandSet.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/WireText.h"

namespace corvane::sim {

namespace {

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

}  // namespace

void LineModeCommandSet::Switches(const Frame& frame) {
    const auto& b = frame.bytes;
    PrinterState& state = printer_.state;
    PrinterLog& log = printer_.log;
    std::span<const std::uint8_t> body(b.data() + 4, b.size() - 5);  // between op and LF
    std::string name = "line-mode " + Readable(std::span<const std::uint8_t>(b).subspan(3));
    std::uint8_t op = b[3];
    if (op == 'T') {
        if (Readable(body) != "0000") {
            log.Ignore(name, "print status takes 0000");
            return;
        }
        log.Log("line-mode print status");
        log.FlushText();
        PrintSwitchWords();
        return;
    }
    std::vector<std::uint16_t> words;
    if (!ParseWords(body, words) || words.size() != state.lineWords.size()) {
        log.Ignore(name, "needs nine words of four upper-case hexadecimal digits");
        return;
    }
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (op == '-') {
            state.lineWords[i] = static_cast<std::uint16_t>(state.lineWords[i] & ~words[i]);
        } else {
            state.lineWords[i] = static_cast<std::uint16_t>(state.lineWords[i] | words[i]);
        }
    }
    log.Log(std::string(op == '-' ? "line-mode clear " : "line-mode set ") + Readable(body));
}

void LineModeCommandSet::Speed(const Frame& frame) {
    const auto& b = frame.bytes;
    PrinterState& state = printer_.state;
    PrinterLog& log = printer_.log;
    std::span<const std::uint8_t> body(b.data() + 4, b.size() - 5);
    std::string name = "line-mode speed " + Readable(std::span<const std::uint8_t>(b).subspan(3));
    std::uint8_t op = b[3];
    if (op == 'T') {
        if (Readable(body) != "00") {
            log.Ignore(name, "speed T takes 00");
            return;
        }
        log.Log("speed T");
        log.FlushText();
        int speed = LineModeSpeed(state.speedWord);
        log.Print("Baud rate: " + (speed > 0 ? std::to_string(speed) + " bps"
                                             : "unknown code " + WordText(state.speedWord)));
        return;
    }
    std::vector<std::uint16_t> words;
    if (!ParseWords(body, words) || words.size() != 1) {
        log.Ignore(name, "needs one word of four upper-case hexadecimal digits");
        return;
    }
    if (op == '-') {
        state.speedWord = static_cast<std::uint16_t>(state.speedWord & ~words[0]);
    } else {
        state.speedWord = static_cast<std::uint16_t>(state.speedWord | words[0]);
    }
    log.Log(std::string(op == '-' ? "speed clear " : "speed set ") + Readable(body));
}

void LineModeCommandSet::PrintSwitchWords() {
    PrinterLog& log = printer_.log;
    const auto& words = printer_.state.lineWords;
    log.Print("=== Switch status ===");
    for (std::size_t i = 0; i < words.size(); ++i) {
        log.Print("Word " + std::to_string(i + 1) + ": " + WordText(words[i]));
    }
    log.Print("=== end ===");
}

}  // namespace corvane::sim
