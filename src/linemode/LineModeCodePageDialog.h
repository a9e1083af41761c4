#pragma once

#include <string>

#include "protocol/LineModeSwitchCommands.h"
#include "ui/Dialog.h"

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
    static constexpr int kTemplateId = 160;
    static constexpr int kCodePageSet = 82;
    static constexpr int kCrLfSet = 83;
    static constexpr int kCodePageList = 84;
    static constexpr int kCrLfList = 85;
    static constexpr int kSelectAll = 73;
    static constexpr int kPrintStatus = 86;
    static constexpr int kSet = 1003;
    static constexpr int kClose = 71;

    explicit LineModeCodePageDialog(link::PrinterPort& port);

    bool OnInitDialog() override;
    void OnCommand(ui::ControlId id, ui::Notification notification) override;
    void DoDataExchange(ui::DataExchange& exchange) override;

    // Whether a firmware version text marks a printer that takes the code page option: "STB" as
    // its characters 8 to 10.
    static bool TakesCodePage(const std::string& versionText);

    bool CodePageTicked() const { return codePageTicked_; }
    int CodePageChoice() const { return codePageChoice_; }
    bool CrLfTicked() const { return crLfTicked_; }
    int CrLfChoice() const { return crLfChoice_; }
    bool SelectAllTicked() const { return selectAll_; }
    // Whether the printer at the last opening takes the code page option.
    bool CodePageOffered() const { return codePageOffered_; }

private:
    void OnTick(bool& ticked, int& choice, int listId);
    void OnSelectAll();
    void OnSet();
    void OnPrint();

    link::PrinterPort& port_;
    bool codePageTicked_ = false;
    int codePageChoice_ = -1;
    bool crLfTicked_ = false;
    int crLfChoice_ = -1;
    bool selectAll_ = false;
    bool codePageOffered_ = false;
    protocol::LineModeSwitchCommands commands_;
};

}  // namespace corvane::linemode
