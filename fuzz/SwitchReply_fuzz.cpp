// The memory switch reply, on every link, with and without the search for its header.
#include <cstddef>
#include <cstdint>

#include "FuzzPort.h"
#include "protocol/NativeCommands.h"

using namespace corvane;
using namespace corvane::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t choices = input.Byte();
    FuzzPort rig(LinkFrom(choices), input);
    auto search =
        (choices & 0x04) != 0 ? protocol::HeaderSearch::With : protocol::HeaderSearch::Without;
    protocol::SendTransmitMemorySwitch(rig.port, protocol::kKrt310Switch8);
    protocol::SwitchReply reply = protocol::ReadSwitchReply(rig.port, search);
    Require(reply.pins[0] == protocol::kPinNoChange);
    for (int pin = 1; pin <= 8; ++pin) {
        protocol::PinSetting setting = reply.pins[static_cast<std::size_t>(pin)];
        Require(setting == protocol::kPinNoChange || setting == protocol::kPinSwitchOn ||
                setting == protocol::kPinSwitchOff);
    }
    // The search gives up after its limit; each read of the port may be tried twice.
    Require(rig.Reads() <= 2 * (protocol::kHeaderSearchLimit + 1));
    return 0;
}
