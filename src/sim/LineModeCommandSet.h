#pragma once

// The line-mode commands of the "Other" emulation: setting and clearing bits of the nine switch
// words and of the speed word, and printing either.

#include "sim/CommandContext.h"
#include "sim/CommandDecoder.h"

namespace corvane::sim {

class LineModeCommandSet {
public:
    explicit LineModeCommandSet(CommandContext& printer) : printer_(printer) {}

    // ESC GS # op ... LF: + sets and - clears bits of the switch words, T prints them.
    void Switches(const Frame& frame);
    // ESC US # op ... LF: + sets and - clears bits of the speed word, T prints the speed.
    void Speed(const Frame& frame);

private:
    void PrintSwitchWords();

    CommandContext& printer_;
};

}  // namespace corvane::sim
