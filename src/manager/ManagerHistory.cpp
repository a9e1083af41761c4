#include "manager/ManagerHistory.h"

#include "base/VisibleText.h"

namespace corvane::manager {

void ManagerHistory::StatusWritten(const link::PrinterPort& port, const ManagerState& state,
                                   bool complete, platform::Reporter& reporter) {
    if (history_ != nullptr) {
        service::HistoryRecord record = service::WindowRecord(port, "Set Status");
        record.model = base::ShownText(state.modelText);
        record.firmware = base::ShownText(state.firmwareText);
        if (before_) {
            record.before = service::DocumentFromRecord(state.model, *before_);
        }
        record.written = service::DocumentFromRecord(state.model, state.Record());
        record.complete = complete;
        service::KeepRecord(history_, std::move(record), reporter);
    }
    before_.reset();
}

}  // namespace corvane::manager
