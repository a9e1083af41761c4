#pragma once

// Expected line-mode frames, spelled out byte by byte so that the tests never borrow the
// encoder they check.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/Bytes.h"

namespace corvane::linemode::testing {

using support::Bytes;

// Words 1 to 5 as four hexadecimal digits each; words 6 to 9 are always 0000.
inline Bytes SwitchFrame(char operation, const std::array<std::string, 5>& words) {
    Bytes frame = {0x1B, 0x1D, 0x23, static_cast<std::uint8_t>(operation)};
    for (const std::string& word : words) {
        frame.insert(frame.end(), word.begin(), word.end());
    }
    for (int i = 0; i < 4; ++i) {
        frame.insert(frame.end(), {'0', '0', '0', '0'});
    }
    frame.push_back(0x0A);
    frame.push_back(0x00);
    return frame;
}

inline const Bytes kPrintStatus10 = {0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30, 0x30, 0x30, 0x0A, 0x00};
inline const Bytes kPrintStatus11 = {0x1B, 0x1D, 0x23, 0x54, 0x30, 0x30,
                                     0x30, 0x30, 0x0A, 0x00, 0x00};

// What one Set puts on the wire: clear command, set command, 10-byte print status.
inline Bytes SetExchange(const std::array<std::string, 5>& clearWords,
                         const std::array<std::string, 5>& setWords) {
    Bytes all = SwitchFrame('-', clearWords);
    Bytes set = SwitchFrame('+', setWords);
    all.insert(all.end(), set.begin(), set.end());
    all.insert(all.end(), kPrintStatus10.begin(), kPrintStatus10.end());
    return all;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    return support::Join(parts);
}

}  // namespace corvane::linemode::testing
