#pragma once

// What the printer prints of itself on command: the two self tests and, on the KRT-620, the
// vertical alignment pattern and check print, with the command that stores the offsets.

#include "sim/CommandContext.h"
#include "sim/CommandDecoder.h"

namespace corvane::sim {

class SelfTestCommandSet {
public:
    explicit SelfTestCommandSet(CommandContext& printer) : printer_(printer) {}

    // GS ( A 02 00 01 m: self test 1 (m 02), the settings, or 2 (m 03), a character pattern.
    void TestPrint(const Frame& frame);
    // ESC x 01 fn ...: the alignment pattern (01), storing a row's offset (02), the check (03).
    void Alignment(const Frame& frame);

private:
    void PrintSettings();

    CommandContext& printer_;
};

}  // namespace corvane::sim
