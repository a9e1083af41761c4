#pragma once

// How the bytes the printer receives appear in its logs, so that every log line stays readable.

#include <cstdint>
#include <span>
#include <string>

namespace corvane::sim {

// Two upper-case hexadecimal digits per byte, separated by spaces: "1D 49 03".
std::string Hex(std::span<const std::uint8_t> bytes);
std::string Hex(std::uint8_t byte);
// Printable bytes as they are, others as \xNN.
std::string Readable(std::span<const std::uint8_t> bytes);
std::string Readable(const std::string& text);

}  // namespace corvane::sim
