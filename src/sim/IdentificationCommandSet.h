#pragma once

// The queries a host sends to learn which printer it has: the identification requests, which
// every emulation answers, and the emulation query, which only the "Other" emulation answers.

#include "sim/CommandContext.h"
#include "sim/CommandDecoder.h"

namespace corvane::sim {

class IdentificationCommandSet {
public:
    explicit IdentificationCommandSet(CommandContext& printer) : printer_(printer) {}

    // GS I n: the version id, or the firmware, maker, model or language text.
    void Identify(const Frame& frame);
    // US US E: 02 or 03 from the "Other" emulation; a native printer ignores it.
    void EmulationQuery();

private:
    CommandContext& printer_;
};

}  // namespace corvane::sim
