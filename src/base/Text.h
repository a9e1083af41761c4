#pragma once

// Text helpers shared by every layer above the simulated printer, which keeps its own. Letter
// case is that of the C locale's ASCII letters; other bytes are left as they are.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane::base {

std::string Upper(std::string_view text);
std::string Lower(std::string_view text);

// Whole texts or a prefix compared without regard to letter case.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Items for a message: "a, b or c" with the default separators.
std::string JoinList(std::span<const std::string_view> items, std::string_view separator = ", ",
                     std::string_view lastSeparator = " or ");

// Bytes as upper-case hexadecimal pairs parted by single spaces: "1B 40".
std::string HexBytes(std::span<const std::uint8_t> bytes);
// A 16-bit number as four lower-case hexadecimal digits, as sysfs spells USB ids: "2c9a".
std::string HexWord(std::uint16_t value);

}  // namespace corvane::base
