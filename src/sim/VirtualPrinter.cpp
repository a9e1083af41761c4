#include "sim/VirtualPrinter.h"

#include <algorithm>
#include <sstream>

#include "sim/IdentificationCommandSet.h"
#include "sim/LineModeCommandSet.h"
#include "sim/NativeCommandSet.h"
#include "sim/SelfTestCommandSet.h"
#include "sim/WireText.h"

namespace corvane::sim {

namespace {

constexpr int kSwitchCount = 8;

}  // namespace

VirtualPrinter::VirtualPrinter(Model model, Emulation emulation)
    : model_(model), emulation_(emulation), identity_(DefaultIdentity(model)) {
    for (int number = 1; number <= kSwitchCount; ++number) {
        state_.switches[number] = 0;
    }
}

void VirtualPrinter::SetSerialLine(const platform::SerialConfig& line) {
    serialLine_ = line;
    state_.serial.speed = std::to_string(line.baudRate);
    state_.serial.parity = static_cast<char>('0' + line.parity);
    state_.serial.dataBits = static_cast<char>('0' + line.dataBits);
}

int VirtualPrinter::CodePageSwitch() const {
    return NativeCommandSet::CodePageSwitch(model_);
}

int VirtualPrinter::SecondSwitch() const {
    return NativeCommandSet::SecondSwitch(model_);
}

std::string VirtualPrinter::SwitchText(int number) const {
    return PinText(Switch(number));
}

bool VirtualPrinter::IsUnpluggedAt(std::chrono::microseconds now) const {
    if (unplugged_) {
        return true;
    }
    if (faults_.unplugAt && now >= *faults_.unplugAt) {
        return true;
    }
    return faults_.unplugAfterCommands && commandCount_ >= *faults_.unplugAfterCommands;
}

std::vector<VirtualPrinter::Reply> VirtualPrinter::Feed(std::span<const std::uint8_t> bytes) {
    std::vector<Reply> raw;
    decoder_.Push(bytes);
    while (auto frame = decoder_.Next()) {
        if (faults_.unplugAfterCommands && commandCount_ >= *faults_.unplugAfterCommands) {
            // The cable came out: whatever followed never reached the printer.
            decoder_.Clear();
            break;
        }
        Execute(*frame, raw);
    }
    return AfterFaults(std::move(raw));
}

std::vector<VirtualPrinter::Reply> VirtualPrinter::AfterFaults(std::vector<Reply> raw) {
    std::vector<Reply> replies;
    if (faults_.silent) {
        return replies;
    }
    for (auto& reply : raw) {
        if (!faults_.noiseBeforeHeader.empty() && !reply.empty() && reply[0] == kReplyHeader) {
            reply.insert(reply.begin(), faults_.noiseBeforeHeader.begin(),
                         faults_.noiseBeforeHeader.end());
        }
        if (faults_.cutAfter && reply.size() > *faults_.cutAfter) {
            reply.resize(*faults_.cutAfter);
        }
        if (faults_.silentAfterBytes) {
            std::size_t left = *faults_.silentAfterBytes > replyBytesSent_
                                   ? *faults_.silentAfterBytes - replyBytesSent_
                                   : 0;
            reply.resize(std::min(reply.size(), left));
        }
        replyBytesSent_ += reply.size();
        if (!reply.empty()) {
            replies.push_back(std::move(reply));
        }
    }
    return replies;
}

void VirtualPrinter::Execute(const Frame& frame, std::vector<Reply>& replies) {
    const auto& b = frame.bytes;
    if (frame.kind != FrameKind::Text && frame.kind != FrameKind::LineFeed &&
        frame.kind != FrameKind::Control) {
        ++commandCount_;
    }
    if (!state_.selected && frame.kind != FrameKind::SelectPrinter) {
        if (frame.kind != FrameKind::Control) {
            log_.Ignore(Hex(b), "printer deselected");
        }
        return;
    }
    CommandContext printer{model_, emulation_, identity_, faults_, state_, log_, replies};
    switch (frame.kind) {
        case FrameKind::Text:
            log_.AddText(Readable(b));
            return;
        case FrameKind::LineFeed:
            log_.LineFeed();
            return;
        case FrameKind::Control:
            // NUL and CR are fillers that hosts send after commands.
            if (b[0] != 0x00 && b[0] != 0x0D) {
                log_.Ignore("control byte " + Hex(b), "not a command");
            }
            return;
        case FrameKind::Initialize:
            // Initializing discards text that was not yet printed; settings stay.
            log_.DiscardText();
            log_.Log("initialize");
            return;
        case FrameKind::SelectPrinter:
            state_.selected = (b[2] & 0x01) != 0;
            log_.Log(std::string(state_.selected ? "select printer " : "deselect printer ") +
                     Hex(b[2]));
            return;
        case FrameKind::Identify:
            IdentificationCommandSet(printer).Identify(frame);
            return;
        case FrameKind::EmulationQuery:
            IdentificationCommandSet(printer).EmulationQuery();
            return;
        case FrameKind::NativeSetting:
        case FrameKind::PowerSaveSet:
        case FrameKind::PowerSaveTransmit:
            if (emulation_ != Emulation::Native) {
                log_.Ignore("native command " + Hex(b), "line-mode emulation");
                return;
            }
            NativeCommandSet(printer).Execute(frame);
            return;
        case FrameKind::TestPrint:
            SelfTestCommandSet(printer).TestPrint(frame);
            return;
        case FrameKind::Cut: {
            log_.FlushText();
            bool partial = b[2] == 1 || b[2] == '1' || b[2] == 'B';
            log_.Print(partial ? "--- partial cut ---" : "--- cut ---");
            log_.Log(partial ? "partial cut" : "cut");
            return;
        }
        case FrameKind::Alignment:
            SelfTestCommandSet(printer).Alignment(frame);
            return;
        case FrameKind::LineSwitch:
        case FrameKind::LineSpeed:
            if (emulation_ == Emulation::Native) {
                log_.Ignore("line-mode command " + Readable(b), "native emulation");
                return;
            }
            if (frame.kind == FrameKind::LineSwitch) {
                LineModeCommandSet(printer).Switches(frame);
            } else {
                LineModeCommandSet(printer).Speed(frame);
            }
            return;
        case FrameKind::Malformed:
            log_.Ignore(Hex(b), "impossible length");
            return;
        case FrameKind::Unknown:
            log_.Ignore(Hex(b), "unknown command");
            return;
    }
}

std::string VirtualPrinter::Describe() const {
    std::ostringstream out;
    out << "model: " << ModelName(model_) << "\n";
    out << "emulation: " << EmulationName(emulation_) << "\n";
    out << "version id: " << Hex(identity_.versionId) << "\n";
    out << "firmware: " << Readable(identity_.firmware) << "\n";
    out << "maker: " << Readable(identity_.maker) << "\n";
    out << "model text: " << Readable(identity_.model) << "\n";
    out << "language: " << Readable(identity_.language) << "\n";
    out << "user setting mode: " << (state_.userSettingMode ? "on" : "off") << "\n";
    for (int number : SwitchNumbers()) {
        out << "memory switch " << number << ": " << SwitchText(number) << "\n";
    }
    out << "paper width: " << int{state_.paperWidth} << "\n";
    out << "serial speed: " << state_.serial.speed << "\n";
    out << "serial parity: " << state_.serial.parity << "\n";
    out << "serial flow control: " << state_.serial.flowControl << "\n";
    out << "serial data bits: " << state_.serial.dataBits << "\n";
    out << "power save: " << (state_.powerSave ? "on" : "off") << "\n";
    out << "power save seconds: " << int{state_.powerSaveSeconds} << "\n";
    for (std::size_t i = 0; i < state_.lineWords.size(); ++i) {
        out << "line word " << i + 1 << ": " << WordText(state_.lineWords[i]) << "\n";
    }
    out << "speed word: " << WordText(state_.speedWord) << "\n";
    static const char* const kRows[] = {"A", "B", "C", "D"};
    for (std::size_t i = 0; i < state_.alignment.size(); ++i) {
        out << "alignment " << kRows[i] << ": " << state_.alignment[i] << "\n";
    }
    out << "commands taken: " << commandCount_ << "\n";
    out << "--- commands ---\n";
    for (const auto& line : Commands()) {
        out << line << "\n";
    }
    out << "--- printout ---\n";
    for (const auto& line : Printout()) {
        out << line << "\n";
    }
    return out.str();
}

void VirtualPrinter::OnOpen(platform::sim::SimLine&) {
    lineFreeAt_ = 0;
}

void VirtualPrinter::OnHostWrite(platform::sim::SimLine& line,
                                 std::span<const std::uint8_t> bytes) {
    auto replies = Feed(bytes);
    using platform::sim::DeviceKind;
    using platform::sim::Micros;
    std::uint32_t baud = 0;
    if (line.Kind() == DeviceKind::Serial) {
        baud = serialLine_ ? serialLine_->baudRate : line.Config().baudRate;
    }
    auto byteTime = static_cast<Micros>(faults_.ByteTime(baud).count());
    Micros start =
        std::max<Micros>(line.Now() + static_cast<Micros>(faults_.latency.count()), lineFreeAt_);
    for (const auto& reply : replies) {
        Micros end = start + byteTime * reply.size();
        if (line.Kind() == DeviceKind::Usb || byteTime == 0) {
            // One reply is one USB transfer, complete when its last byte is out.
            line.Deliver(reply, end);
        } else {
            for (std::size_t i = 0; i < reply.size(); ++i) {
                line.Deliver(std::span<const std::uint8_t>(&reply[i], 1),
                             start + byteTime * (i + 1));
            }
        }
        lineFreeAt_ = end;
        start = end;
    }
}

bool VirtualPrinter::Dsr(platform::sim::SimLine&) {
    return dsr_;
}

std::uint8_t VirtualPrinter::ParallelStatus(platform::sim::SimLine&) {
    return parallelStatus_;
}

bool VirtualPrinter::Unplugged(platform::sim::SimLine& line) {
    return IsUnpluggedAt(std::chrono::microseconds(line.Now()));
}

std::optional<platform::SerialConfig> VirtualPrinter::SerialLine(platform::sim::SimLine&) {
    return serialLine_;
}

}  // namespace corvane::sim
