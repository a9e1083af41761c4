#pragma once

#include "service/History.h"
#include "ui/Dialog.h"
#include "ui/HostReporter.h"

namespace corvane::link {
class PrinterPort;
}

namespace corvane::linemode {

// The baud rate dialog of a KRT-310 family printer in the "Other" emulation (template 152). Set
// gives the printer a new serial speed; the link keeps the speed the connection window chose.
class LineModeBaudRateDialog : public ui::Dialog {
public:
    explicit LineModeBaudRateDialog(link::PrinterPort& port);

    bool OnInitDialog() override;
    void OnCommand(ui::ControlId id, ui::Notification notification) override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    // Enter presses only a push button that has the focus: the chosen speed lives in this window
    // alone, as each opening starts again at 1200 bps, so Enter never closes it.
    void OnOk() override {}

    // 0 to 4 for 1200 to 19200 bps.
    int Choice() const { return choice_; }
    // Where writes are recorded; null (the default) records nothing.
    void RecordWritesIn(const service::History* history) { history_ = history; }

private:
    void OnSet();

    link::PrinterPort& port_;
    ui::HostReporter reporter_;
    const service::History* history_ = nullptr;
    int choice_ = 0;
};

}  // namespace corvane::linemode
