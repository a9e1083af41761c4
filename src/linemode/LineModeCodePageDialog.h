#pragma once

#include "service/History.h"
#include "ui/Dialog.h"
#include "ui/HostReporter.h"

namespace corvane::link {
class PrinterPort;
}

namespace corvane::linemode {

// The code page and CR/LF dialog of a KRT-620 in the "Other" emulation (template 160). Set sends
// the ticked options as line-mode switch commands; the code page option is offered only when the
// printer's firmware text says it can take one. One instance serves every opening, so ticks and
// choices persist from one opening to the next.
class LineModeCodePageDialog : public ui::Dialog {
public:
    explicit LineModeCodePageDialog(link::PrinterPort& port);

    bool OnInitDialog() override;
    void OnCommand(ui::ControlId id, ui::Notification notification) override;
    void DoDataExchange(ui::DataExchange& exchange) override;

    bool CodePageTicked() const { return codePageTicked_; }
    int CodePageChoice() const { return codePageChoice_; }
    bool CrLfTicked() const { return crLfTicked_; }
    int CrLfChoice() const { return crLfChoice_; }
    bool SelectAllTicked() const { return selectAll_; }
    // Where writes are recorded; null (the default) records nothing.
    void RecordWritesIn(const service::History* history) { history_ = history; }
    // Whether the printer at the last opening takes the code page option.
    bool CodePageOffered() const { return codePageOffered_; }

private:
    void OnTick(bool& ticked, int& choice, int listId);
    void OnSelectAll();
    void OnSet();

    link::PrinterPort& port_;
    ui::HostReporter reporter_;
    const service::History* history_ = nullptr;
    bool codePageTicked_ = false;
    int codePageChoice_ = -1;
    bool crLfTicked_ = false;
    int crLfChoice_ = -1;
    bool selectAll_ = false;
    bool codePageOffered_ = false;
};

}  // namespace corvane::linemode
