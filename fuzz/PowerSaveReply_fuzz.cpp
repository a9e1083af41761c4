// The power save reply on every link.
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
    protocol::SendTransmitPowerSave(rig.port);
    protocol::PowerSaveReply reply = protocol::ReadPowerSaveReply(rig.port);
    Require(reply.seconds >= 0 && reply.seconds <= 255);
    Require(reply.found || (!reply.usePowerSave && reply.seconds == 0));
    Require(rig.Reads() <= 2 * static_cast<std::size_t>(protocol::kPowerSaveReads));
    return 0;
}
