// The reply to entering user setting mode, in its fixed and its searched form, on every link.
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
    auto form =
        (choices & 0x04) != 0 ? protocol::ModeReplyForm::Searched : protocol::ModeReplyForm::Fixed;
    protocol::SendEnterUserSetting(rig.port);
    protocol::ReadModeReply(rig.port, form);
    Require(rig.Reads() <= 2 * (protocol::kHeaderSearchLimit + 1));
    return 0;
}
