#include "sim/CommandDecoder.h"

#include <algorithm>

namespace corvane::sim {

namespace {

constexpr std::uint8_t kBs = 0x08;
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kGs = 0x1D;
constexpr std::uint8_t kUs = 0x1F;

bool IsText(std::uint8_t byte) {
    return byte >= 0x20;
}

}  // namespace

void CommandDecoder::Push(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

std::optional<Frame> CommandDecoder::Next() {
    if (buffer_.empty()) {
        return std::nullopt;
    }
    Match match = MatchFront();
    if (match.length == 0) {
        return std::nullopt;
    }
    Frame frame{match.kind, {buffer_.begin(), buffer_.begin() + static_cast<long>(match.length)}};
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(match.length));
    return frame;
}

CommandDecoder::Match CommandDecoder::MatchFront() const {
    const auto& b = buffer_;
    switch (b[0]) {
        case kBs:
            return MatchNative();
        case kEsc:
            return MatchEscape();
        case kGs:
            return MatchGroupSeparator();
        case kUs:
            if (b.size() < 2) {
                return {FrameKind::Unknown, 0};
            }
            if (b[1] != kUs) {
                return {FrameKind::Control, 1};
            }
            if (b.size() < 3) {
                return {FrameKind::Unknown, 0};
            }
            return b[2] == 'E' ? Match{FrameKind::EmulationQuery, 3} : Match{FrameKind::Unknown, 2};
        case kLf:
            return {FrameKind::LineFeed, 1};
        default:
            break;
    }
    if (!IsText(b[0])) {
        return {FrameKind::Control, 1};
    }
    auto end = std::find_if_not(b.begin(), b.end(), IsText);
    return {FrameKind::Text, static_cast<std::size_t>(end - b.begin())};
}

CommandDecoder::Match CommandDecoder::MatchNative() const {
    const auto& b = buffer_;
    if (b.size() < 3) {
        // A lone BS or BS followed by anything but '^' is not a native frame.
        if (b.size() == 2 && b[1] != '^') {
            return {FrameKind::Control, 1};
        }
        return {FrameKind::Unknown, 0};
    }
    if (b[1] != '^') {
        return {FrameKind::Control, 1};
    }
    if (b[2] == 'E') {
        if (b.size() < 5) {
            return {FrameKind::Unknown, 0};
        }
        std::size_t count = b[3] + std::size_t{b[4]} * 256;
        if (count == 0 || count > kMaxParameters) {
            return {FrameKind::Malformed, 5};
        }
        if (b.size() < 5 + count) {
            return {FrameKind::Unknown, 0};
        }
        return {FrameKind::NativeSetting, 5 + count};
    }
    if (b[2] == 'P') {
        if (b.size() < 4) {
            return {FrameKind::Unknown, 0};
        }
        if (b[3] == '1') {
            return {FrameKind::PowerSaveTransmit, 4};
        }
        if (b[3] != '0') {
            return {FrameKind::Unknown, 4};
        }
        if (b.size() < 6) {
            return {FrameKind::Unknown, 0};
        }
        return {FrameKind::PowerSaveSet, 6};
    }
    return {FrameKind::Unknown, 2};
}

CommandDecoder::Match CommandDecoder::MatchEscape() const {
    const auto& b = buffer_;
    if (b.size() < 2) {
        return {FrameKind::Unknown, 0};
    }
    switch (b[1]) {
        case '@':
            return {FrameKind::Initialize, 2};
        case '=':
            return b.size() < 3 ? Match{FrameKind::Unknown, 0} : Match{FrameKind::SelectPrinter, 3};
        case 'x': {
            if (b.size() < 4) {
                return {FrameKind::Unknown, 0};
            }
            if (b[2] != 0x01) {
                return {FrameKind::Unknown, 3};
            }
            std::size_t length = 0;
            if (b[3] == 0x01 || b[3] == 0x03) {
                length = 5;
            } else if (b[3] == 0x02) {
                length = 6;
            } else {
                return {FrameKind::Unknown, 4};
            }
            return b.size() < length ? Match{FrameKind::Unknown, 0}
                                     : Match{FrameKind::Alignment, length};
        }
        case kGs:
            return MatchLineMode(FrameKind::LineSwitch);
        case kUs:
            return MatchLineMode(FrameKind::LineSpeed);
        default:
            return {FrameKind::Unknown, 2};
    }
}

CommandDecoder::Match CommandDecoder::MatchLineMode(FrameKind kind) const {
    const auto& b = buffer_;
    if (b.size() < 3) {
        return {FrameKind::Unknown, 0};
    }
    if (b[2] != '#') {
        return {FrameKind::Unknown, 3};
    }
    if (b.size() < 4) {
        return {FrameKind::Unknown, 0};
    }
    if (b[3] != '-' && b[3] != '+' && b[3] != 'T') {
        return {FrameKind::Unknown, 4};
    }
    std::size_t limit = std::min(b.size(), 4 + kMaxLineModeBody + 1);
    for (std::size_t i = 4; i < limit; ++i) {
        if (b[i] == kLf) {
            return {kind, i + 1};
        }
    }
    if (b.size() < 4 + kMaxLineModeBody + 1) {
        return {FrameKind::Unknown, 0};
    }
    return {FrameKind::Malformed, 4};
}

CommandDecoder::Match CommandDecoder::MatchGroupSeparator() const {
    const auto& b = buffer_;
    if (b.size() < 2) {
        return {FrameKind::Unknown, 0};
    }
    switch (b[1]) {
        case 'I':
            return b.size() < 3 ? Match{FrameKind::Unknown, 0} : Match{FrameKind::Identify, 3};
        case '(': {
            if (b.size() < 5) {
                return {FrameKind::Unknown, 0};
            }
            std::size_t count = b[3] + std::size_t{b[4]} * 256;
            if (count > kMaxParameters) {
                return {FrameKind::Malformed, 5};
            }
            if (b.size() < 5 + count) {
                return {FrameKind::Unknown, 0};
            }
            return {b[2] == 'A' ? FrameKind::TestPrint : FrameKind::Unknown, 5 + count};
        }
        case 'V': {
            if (b.size() < 3) {
                return {FrameKind::Unknown, 0};
            }
            std::uint8_t m = b[2];
            if (m == 0 || m == 1 || m == '0' || m == '1') {
                return {FrameKind::Cut, 3};
            }
            if (m == 'A' || m == 'B') {
                return b.size() < 4 ? Match{FrameKind::Unknown, 0} : Match{FrameKind::Cut, 4};
            }
            return {FrameKind::Unknown, 3};
        }
        default:
            return {FrameKind::Unknown, 2};
    }
}

}  // namespace corvane::sim
