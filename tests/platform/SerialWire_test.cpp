#include "platform/sim/SerialWire.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::platform::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Describe(const SerialConfig& line) {
    return std::to_string(line.baudRate) + " " + std::to_string(line.dataBits) + "NOE"[line.parity];
}

SerialConfig Line(std::uint32_t baud, std::uint32_t dataBits, std::uint32_t parity,
                  std::uint32_t stopBits = kStopBitsOne) {
    SerialConfig line;
    line.baudRate = baud;
    line.dataBits = dataBits;
    line.parity = parity;
    line.stopBits = stopBits;
    return line;
}

// Guards against a model of the wire that invents or loses bytes where the ends agree, and
// against one that gets the framing of a well-known mismatch wrong.
TEST(SerialWire, AgreeingEndsPassEveryByteAndKnownMismatchesGarbleAsALineDoes) {
    Bytes all(256);
    for (int i = 0; i < 256; ++i) {
        all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    }
    EXPECT_EQ(Reframe(all, Line(9600, 8, kParityNone), Line(9600, 8, kParityNone)), all);
    // The sender's second stop bit is only idle time to the receiver.
    EXPECT_EQ(Reframe(all, Line(2400, 8, kParityOdd, kStopBitsTwo), Line(2400, 8, kParityOdd)),
              all);
    // A 7E1 sender's parity bit is the eighth data bit of an 8N1 receiver: "I" has three ones.
    EXPECT_EQ(Reframe(Bytes{'I', 'K'}, Line(9600, 7, kParityEven), Line(9600, 8, kParityNone)),
              (Bytes{'I' | 0x80, 'K'}));
    // An 8N1 receiver takes a 7N1 sender's stop bit and the idle line after it as two ones.
    EXPECT_EQ(Reframe(Bytes{'d'}, Line(9600, 7, kParityNone), Line(9600, 8, kParityNone)),
              (Bytes{'d' | 0x80}));
}

// Guards against a scan that reports a printer at a line it does not run at: at every other
// setting the scan tries, the version-id request does not reach the printer as sent, so it never
// answers. (A lone answer byte, and the emulation query, whose bytes all have an odd count of
// ones in their low seven bits, pass some mismatches of data bits and parity whole.)
TEST(SerialWire, NoMismatchOfTheScannedLinesPassesTheVersionIdRequest) {
    const Bytes question = {0x1D, 0x49, 0x03};
    std::vector<SerialConfig> lines;
    for (std::uint32_t baud : {1200u, 2400u, 4800u, 9600u, 19200u}) {
        for (std::uint32_t bits : {7u, 8u}) {
            for (std::uint32_t parity : {kParityNone, kParityOdd, kParityEven}) {
                lines.push_back(Line(baud, bits, parity));
            }
        }
    }
    for (const auto& host : lines) {
        for (const auto& printer : lines) {
            if (SameFraming(host, printer)) {
                continue;
            }
            SCOPED_TRACE(Describe(host) + " to a printer at " + Describe(printer));
            EXPECT_NE(Reframe(question, host, printer), question);
        }
    }
}

}  // namespace
}  // namespace corvane::platform::sim
