#include "operations/SwitchPages.h"

namespace corvane::operations {

namespace {

const std::array<std::string, 3> kOnOff = {"No Change", "Switch On", "Switch Off"};

// Switch 8 of the KRT-310 family: each pin's label with its on and off words.
const std::array<PinRow, 8> kSwitch2Rows = {{
    {"Upside-down Printing", {"No Change", "Turn On", "Turn Off"}},
    {"Select Character Font", {"No Change", "9x9", "7x9"}},
    {"Buzzer when paper out", {"No Change", "Buzzer Off", "Buzzer On"}},
    {"Paper End Signal *", {"No Change", "Signal On", "Signal Off"}},
    {"Select Cover Open Status", {"No Change", "Cover Open", "Paper-out"}},
    {"Buffer Size", {"No Change", "40Bytes", "8Kb"}},
    {"Bufferfull Release", {"No Change", "Fast", "Normal"}},
    {"Cover is opened with printing",
     {"No Change", "Recoverable by command", "Automatically recoverable"}},
}};

std::array<PinRow, 8> Numbered(const std::string& prefix, int firstPin) {
    std::array<PinRow, 8> rows;
    for (int pin = firstPin; pin <= 8; ++pin) {
        rows[static_cast<std::size_t>(pin - 1)] = {prefix + std::to_string(pin - firstPin + 1),
                                                   kOnOff};
    }
    return rows;
}

}  // namespace

std::array<PinRow, 8> PageRows(protocol::PrinterModel model, int page) {
    if (page == 2) {
        return kSwitch2Rows;
    }
    if (page == 5) {
        return Numbered("Special F/W Pin #", 1);
    }
    if (model == protocol::PrinterModel::Krt620) {
        return Numbered("Default Code Page Pin #", 1);
    }
    // The KRT-310 family keeps its code page in pins 3 to 8; pins 1 and 2 are reserved.
    std::array<PinRow, 8> rows = Numbered("Default Code Page Pin #", 3);
    rows[0] = {"[PIN 1] Reserved", {"No Change", "Reserved", "Reserved"}};
    rows[1] = {"[PIN 2] Reserved", {"No Change", "Reserved", "Reserved"}};
    return rows;
}

const std::array<std::string, 3>& PlainPinChoices() {
    return kOnOff;
}

}  // namespace corvane::operations
