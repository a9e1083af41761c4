#include "base/VisibleText.h"

#include <cstdint>

namespace corvane::base {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::uint8_t ByteAt(std::string_view text, std::size_t at) {
    return static_cast<std::uint8_t>(text[at]);
}

// The length of the valid UTF-8 sequence that starts at `at`, or 0 when none does (a stray
// continuation byte, a cut or overlong sequence, a surrogate, a number past U+10FFFF).
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const std::uint8_t lead = ByteAt(text, at);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    std::uint8_t lowest = 0x80;
    std::uint8_t highest = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = lead == 0xE0 ? 0xA0 : 0x80;
        highest = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = lead == 0xF0 ? 0x90 : 0x80;
        highest = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    // Only the second byte has a narrower range; the others are plain continuation bytes.
    const std::uint8_t second = ByteAt(text, at + 1);
    if (second < lowest || second > highest) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        const std::uint8_t next = ByteAt(text, at + i);
        if (next < 0x80 || next > 0xBF) {
            return 0;
        }
    }
    return length;
}

void AppendEscape(std::string& out, std::string_view prefix, std::uint8_t value) {
    out += prefix;
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0F];
}

// Walks the text by UTF-8 sequences: shown(out, sequence) appends a valid one, and every byte
// that starts none is shown as \xHH.
template <typename Shown>
std::string Walk(std::string_view text, Shown shown) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t length = SequenceLength(text, at);
        if (length == 0) {
            AppendEscape(out, "\\x", ByteAt(text, at));
            ++at;
            continue;
        }
        shown(out, text.substr(at, length));
        at += length;
    }
    return out;
}

}  // namespace

std::string ValidUtf8(std::string_view text) {
    return Walk(text, [](std::string& out, std::string_view sequence) { out += sequence; });
}

std::string ShownText(std::string_view bytes) {
    return Walk(bytes, [](std::string& out, std::string_view sequence) {
        out += sequence;
        if (sequence == "\\") {
            out += '\\';
        }
    });
}

std::string TerminalText(std::string_view text) {
    return Walk(text, [](std::string& out, std::string_view sequence) {
        const auto first = static_cast<std::uint8_t>(sequence[0]);
        if (sequence.size() == 1) {
            if ((first < 0x20 && first != '\n' && first != '\t') || first == 0x7F) {
                AppendEscape(out, "\\x", first);
            } else {
                out += sequence;
            }
            return;
        }
        // U+0080 to U+009F are C2 80 to C2 9F; some terminals obey them as 8-bit controls.
        const auto second = static_cast<std::uint8_t>(sequence[1]);
        if (first == 0xC2 && second <= 0x9F) {
            AppendEscape(out, "\\u00", second);
            return;
        }
        out += sequence;
    });
}

}  // namespace corvane::base
