#include "protocol/NativeFrames.h"

#include <algorithm>

namespace corvane::protocol {

namespace {

Frame WithParameter(NativeFrame frame, std::uint8_t parameter) {
    Frame copy = CopyFrame(frame);
    copy.bytes[kParameterOffset] = parameter;
    return copy;
}

Frame Part(std::span<const std::uint8_t> bytes) {
    Frame part;
    std::copy(bytes.begin(), bytes.end(), part.bytes.begin());
    part.length = static_cast<std::uint32_t>(bytes.size());
    return part;
}

Frame OneByte(std::uint8_t byte) {
    return Part(std::span<const std::uint8_t>(&byte, 1));
}

}  // namespace

Frame CopyFrame(NativeFrame frame) {
    return kNativeFrames[static_cast<std::size_t>(frame)];
}

Frame TransmitMemorySwitchFrame(std::uint8_t selector) {
    return WithParameter(NativeFrame::TransmitMemorySwitch, selector);
}

Frame TransmitSerialSettingFrame(std::uint8_t item) {
    return WithParameter(NativeFrame::TransmitSerialSetting, item);
}

Frame SetCustomizedValueFrame(PaperWidth width) {
    return WithParameter(NativeFrame::SetCustomizedValue, PaperWidthCode(width));
}

Frame SetPowerSaveFrame(bool usePowerSave, int seconds) {
    Frame frame = CopyFrame(NativeFrame::SetPowerSave);
    frame.bytes[kPowerSaveFlagOffset] = usePowerSave ? 0x01 : 0x00;
    frame.bytes[kPowerSaveSecondsOffset] = static_cast<std::uint8_t>(seconds & 0xFF);
    return frame;
}

std::vector<Frame> SetMemorySwitchesParts(const PinBlock& blockA, const PinBlock& blockB) {
    Frame head = CopyFrame(NativeFrame::SetMemorySwitchesHead);
    std::copy(blockA.begin(), blockA.end(), head.bytes.begin() + kParameterOffset);
    return {head, Part(blockB)};
}

std::vector<Frame> SetSerialSettingsParts(const SerialSettings& settings) {
    std::string_view speed = SpeedText(settings.speed);
    Frame head = CopyFrame(NativeFrame::SetSerialSettingsHead);
    Frame speedPart;
    if (speed.empty()) {
        speedPart.length = 4;  // Four NULs leave the printer's speed as it is.
    } else {
        std::copy(speed.begin(), speed.end(), speedPart.bytes.begin());
        speedPart.length = static_cast<std::uint32_t>(speed.size());
    }
    head.bytes[kLengthLowOffset] = speedPart.length == 5 ? 0x09 : 0x08;
    return {head, speedPart, OneByte(ParityCharacter(settings.parity)),
            OneByte(FlowControlCharacter(settings.flowControl)),
            OneByte(DataBitsCharacter(settings.dataBits))};
}

}  // namespace corvane::protocol
