// The value reply of the serial items and the paper width, in both of its forms, on every link,
// and the decoders that turn its text into settings.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzPort.h"
#include "product/SettingLists.h"
#include "protocol/NativeCommands.h"

using namespace corvane;
using namespace corvane::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t choices = input.Byte();
    FuzzPort rig(LinkFrom(choices), input);
    auto form =
        (choices & 0x04) != 0 ? protocol::ValueForm::Speed : protocol::ValueForm::OneCharacter;
    protocol::SendTransmitSerialSetting(rig.port, protocol::kSerialItemSpeed);
    protocol::ValueReply reply = protocol::ReadValueReply(rig.port, form);
    Require(reply.text.size() < protocol::kReplyBufferSize);
    Require(reply.text.find('\0') == std::string::npos);
    auto speed = protocol::SpeedFromText(reply.text);
    Require(!speed || std::any_of(product::kSerialSpeeds.begin(), product::kSerialSpeeds.end(),
                                  [&](const auto& choice) { return choice.value == *speed; }));
    std::uint8_t first = reply.text.empty() ? 0 : static_cast<std::uint8_t>(reply.text[0]);
    protocol::ParityFromCharacter(first);
    protocol::FlowControlFromCharacter(first);
    auto dataBits = protocol::DataBitsFromCharacter(first);
    Require(!dataBits || *dataBits == 7 || *dataBits == 8);
    protocol::PaperWidthFromCharacter(first);
    // At most ten single bytes, each read tried twice; USB reads its block twice at most.
    Require(rig.Reads() <= 20);
    return 0;
}
