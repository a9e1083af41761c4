#pragma once

// What a serial line carries between two ends whose line settings differ.
//
// The sender frames each byte: a start bit, its data bits from the lowest up, a parity bit where
// parity is used, and its stop bits; bytes of one burst follow each other without a gap. The
// receiver waits for the line to go low, then samples it in the middle of each of its own bit
// times, at its own speed. A character whose stop bit reads low (a framing error) or whose parity
// is wrong is dropped, as a receiver that reports no errors drops it. Ends that agree on speed,
// data bits and parity pass every byte unchanged: stop bits of the sender only add idle time.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/Platform.h"

namespace corvane::platform::sim {

// Whether bytes pass unchanged from one end to the other: same speed, data bits and parity.
bool SameFraming(const SerialConfig& sender, const SerialConfig& receiver);

// The bytes that the receiver takes from one burst that the sender sent.
std::vector<std::uint8_t> Reframe(std::span<const std::uint8_t> bytes, const SerialConfig& sender,
                                  const SerialConfig& receiver);

}  // namespace corvane::platform::sim
