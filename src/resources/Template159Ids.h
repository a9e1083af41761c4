#pragma once

#include <array>
#include <cstddef>

// The KRT-620's vertical alignment tool: a grid of radios, one row per alignment row [A] to [D],
// one column per offset -3 to 3.
namespace corvane::resources::template159 {

inline constexpr int kTemplateId = 159;

inline constexpr int kRows = 4;
inline constexpr int kColumns = 7;
// Row [A], column "-3"; the rows follow in sevens, so row r, column c is this + 7r + c.
inline constexpr int kFirstRadio = 1071;
inline constexpr int kPatternPrint = 1055;
inline constexpr int kSaveSetting = 1100;
inline constexpr int kVerifySetting = 1101;
inline constexpr int kExit = 1;

constexpr int Radio(int row, int column) {
    return kFirstRadio + row * kColumns + column;
}

inline constexpr std::array<int, kRows* kColumns + 4> kControlIds = [] {
    std::array<int, kRows * kColumns + 4> ids{};
    for (int i = 0; i < kRows * kColumns; ++i) {
        ids[static_cast<std::size_t>(i)] = kFirstRadio + i;
    }
    ids[kRows * kColumns] = kPatternPrint;
    ids[kRows * kColumns + 1] = kSaveSetting;
    ids[kRows * kColumns + 2] = kVerifySetting;
    ids[kRows * kColumns + 3] = kExit;
    return ids;
}();

}  // namespace corvane::resources::template159
