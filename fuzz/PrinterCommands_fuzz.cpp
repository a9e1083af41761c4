// The simulated printer's side: its command decoder and the printer that acts on the commands,
// fed any bytes in any pieces, with its reply faults.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzPort.h"
#include "sim/CommandDecoder.h"
#include "sim/VirtualPrinter.h"

using namespace corvane;
using namespace corvane::fuzz;

namespace {

constexpr sim::Model kModels[] = {sim::Model::Krt310, sim::Model::Krt310II, sim::Model::Krt620};
constexpr sim::Emulation kEmulations[] = {sim::Emulation::Native, sim::Emulation::Other02,
                                          sim::Emulation::Other03};

// The most a decoder holds back: the head and parameters of the longest command it waits for.
constexpr std::size_t kLongestPending =
    std::max(5 + sim::CommandDecoder::kMaxParameters, 4 + sim::CommandDecoder::kMaxLineModeBody);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t choices = input.Byte();
    const std::uint8_t faultValue = input.Byte();
    sim::VirtualPrinter printer(kModels[(choices & 0x03) % 3],
                                kEmulations[((choices >> 2) & 0x03) % 3]);
    switch ((choices >> 4) & 0x03) {
        case 1:
            printer.GetFaults().cutAfter = faultValue;
            break;
        case 2:
            printer.GetFaults().noiseBeforeHeader.assign(faultValue % 8, faultValue);
            break;
        case 3:
            printer.GetFaults().silentAfterBytes = faultValue;
            break;
        default:
            break;
    }
    sim::CommandDecoder decoder;
    std::vector<std::uint8_t> pushed;
    std::vector<std::uint8_t> framed;
    while (!input.Empty()) {
        auto piece = input.Bytes(input.Byte());
        pushed.insert(pushed.end(), piece.begin(), piece.end());
        decoder.Push(piece);
        while (auto frame = decoder.Next()) {
            Require(!frame->bytes.empty());
            framed.insert(framed.end(), frame->bytes.begin(), frame->bytes.end());
        }
        Require(decoder.Pending() <= kLongestPending);
        for (const auto& reply : printer.Feed(piece)) {
            Require(!reply.empty());
            if (printer.GetFaults().cutAfter) {
                Require(reply.size() <= *printer.GetFaults().cutAfter);
            }
        }
    }
    // The decoder neither loses nor makes up a byte: its frames and what it holds are the input.
    Require(framed.size() + decoder.Pending() == pushed.size());
    Require(std::equal(framed.begin(), framed.end(), pushed.begin()));
    if (printer.GetFaults().silentAfterBytes) {
        Require(printer.ReplyBytesSent() <= *printer.GetFaults().silentAfterBytes);
    }
    printer.Describe();
    return 0;
}
