#pragma once

#include <cstdint>

#include "link/PrinterPort.h"

namespace corvane::app {

enum PrinterModel : int { Krt310Family = 0, Krt620 = 1 };

enum EmulationKind : int { NativeEmulation = 0, OtherEmulation = 1 };

// The connection window's choices, and what the printer answered to the emulation query.
struct ConnectionSettings {
    int interfaceKind = static_cast<int>(link::InterfaceKind::Serial);  // radio index
    int emulation = NativeEmulation;
    int model = Krt310Family;
    // 1 when the printer answered 02 to the emulation query, 2 for 03, 0 before any answer.
    int emulationAnswer = 0;
};

}  // namespace corvane::app
