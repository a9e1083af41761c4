#pragma once

// What one command works on: the printer's model, emulation, identity and faults, its memory,
// its logs and the replies the command adds. Made anew for every command, so that the command
// sets keep no state of their own.

#include <cstdint>
#include <vector>

#include "sim/Faults.h"
#include "sim/Model.h"
#include "sim/PrinterLog.h"
#include "sim/PrinterState.h"

namespace corvane::sim {

// What one USB transfer from the printer would carry.
using Reply = std::vector<std::uint8_t>;

// The first byte of the native replies the host waits for; noise may come before it.
inline constexpr std::uint8_t kReplyHeader = '7';
// The first byte of a text reply and of the power-save reply.
inline constexpr std::uint8_t kTextReplyHeader = '_';

struct CommandContext {
    Model model;
    Emulation emulation;
    const Identity& identity;
    const Faults& faults;
    PrinterState& state;
    PrinterLog& log;
    std::vector<Reply>& replies;
};

}  // namespace corvane::sim
