#pragma once

// What each switch page shows in its eight pin rows: the label of every pin and the choices of
// its list, per printer family. Choice 0 is always "No Change", choice 1 puts the pin on and
// choice 2 off, whatever their words say.

#include <array>
#include <string>

#include "protocol/PrinterModel.h"

namespace corvane::operations {

struct PinRow {
    std::string label;
    std::array<std::string, 3> choices;
};

// Pins 1 to 8 of a page (1, 2 or 5) as its family labels them.
std::array<PinRow, 8> PageRows(protocol::PrinterModel model, int page);

// The choices of a pin in plain words, "No Change", "Switch On" and "Switch Off", for a pin whose
// own words do not tell on from off (the KRT-310 family's reserved pins say "Reserved" for both).
const std::array<std::string, 3>& PlainPinChoices();

}  // namespace corvane::operations
