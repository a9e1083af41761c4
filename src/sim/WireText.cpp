#include "sim/WireText.h"

#include <cstdio>

namespace corvane::sim {

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

}  // namespace corvane::sim
