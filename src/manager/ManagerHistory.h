#pragma once

#include <optional>

#include "link/PrinterPort.h"
#include "manager/ManagerState.h"
#include "platform/Reporter.h"
#include "service/History.h"

namespace corvane::manager {

// What the memory switch manager records of its Set Status: what it wrote, and what the printer
// held when Get Status read it in the same opening (a loaded status file is what is about to be
// written, not what the printer holds, so it does not count). Nothing goes on the wire for it.
class ManagerHistory {
public:
    // Where writes are recorded; null records none.
    void RecordIn(const service::History* history) { history_ = history; }

    // A new opening of the manager knows nothing of the printer yet.
    void NewOpening() { before_.reset(); }
    // Get Status read the printer into the state.
    void StatusRead(const ManagerState& state) { before_ = state.Record(); }
    // Set Status wrote the state's settings, completely or not; the printer's settings are then
    // unknown until the next Get Status.
    void StatusWritten(const link::PrinterPort& port, const ManagerState& state, bool complete,
                       platform::Reporter& reporter);

private:
    const service::History* history_ = nullptr;
    std::optional<operations::StatusRecord> before_;
};

}  // namespace corvane::manager
