#pragma once

#include "link/PrinterPort.h"
#include "protocol/PrinterModel.h"

namespace corvane::app {

// The connection window's choices, and what the printer answered to the emulation query.
struct ConnectionSettings {
    link::InterfaceKind interfaceKind = link::InterfaceKind::Serial;
    protocol::Emulation emulation = protocol::Emulation::Native;
    protocol::PrinterModel model = protocol::PrinterModel::Krt310Family;
    // 1 when the printer answered 02 to the emulation query, 2 for 03, 0 before any answer.
    int emulationAnswer = 0;
};

}  // namespace corvane::app
