#pragma once

// Splits the byte stream that reaches the printer into commands.
//
// Bytes arrive in whatever pieces the host writes them: a command may be split across writes
// and one write may hold several commands. The decoder keeps what it has not yet understood
// and hands out a frame only once all of its bytes are there, as the printer's input buffer
// does.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace corvane::sim {

enum class FrameKind {
    Text,               // printable bytes, to be printed
    LineFeed,           // LF: prints the text gathered so far
    Control,            // a lone control byte the printer ignores
    Initialize,         // ESC @
    SelectPrinter,      // ESC = n
    Identify,           // GS I n
    EmulationQuery,     // US US E
    NativeSetting,      // BS ^ E pL pH fn ...
    PowerSaveSet,       // BS ^ P 0 f s
    PowerSaveTransmit,  // BS ^ P 1
    TestPrint,          // GS ( A pL pH n m
    Cut,                // GS V m [n]
    Alignment,          // ESC x 01 fn ...
    LineSwitch,         // ESC GS # op ... LF
    LineSpeed,          // ESC US # op ... LF
    Malformed,          // the start of a known command whose length or layout is impossible
    Unknown,            // a command this printer does not know
};

struct Frame {
    FrameKind kind = FrameKind::Unknown;
    std::vector<std::uint8_t> bytes;
};

class CommandDecoder {
public:
    // Parameters longer than this are taken as line noise rather than waited for.
    static constexpr std::size_t kMaxParameters = 64;
    // A line-mode command whose LF does not come within this many bytes is dropped.
    static constexpr std::size_t kMaxLineModeBody = 64;

    void Push(std::span<const std::uint8_t> bytes);
    // The next complete frame, or nothing while the buffered bytes are still incomplete.
    std::optional<Frame> Next();
    // Bytes received but not yet part of a complete frame.
    std::size_t Pending() const { return buffer_.size(); }
    void Clear() { buffer_.clear(); }

private:
    struct Match {
        FrameKind kind;
        std::size_t length;  // 0: more bytes are needed
    };
    Match MatchFront() const;
    Match MatchNative() const;
    Match MatchEscape() const;
    Match MatchGroupSeparator() const;
    Match MatchLineMode(FrameKind kind) const;

    std::vector<std::uint8_t> buffer_;
};

}  // namespace corvane::sim
