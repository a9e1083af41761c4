#pragma once

#include <array>

#include "protocol/LineModeOptions.h"
#include "resources/Template143Ids.h"
#include "service/History.h"
#include "ui/Dialog.h"
#include "ui/HostReporter.h"

namespace corvane::link {
class PrinterPort;
}

namespace corvane::linemode {

// The memory switch dialog of a KRT-310 family printer in the "Other" emulation (template 143).
// The user ticks the settings to change and picks a value for each; Set sends exactly the ticked
// fields and lets the printer print its new settings. Nothing is read back. One instance serves
// every opening, so ticks and choices persist from one opening to the next.
class LineModeSwitchDialog : public ui::Dialog {
public:
    static constexpr int kOptionCount = 14;

    explicit LineModeSwitchDialog(link::PrinterPort& port);

    bool OnInitDialog() override;
    void OnCommand(ui::ControlId id, ui::Notification notification) override;
    void DoDataExchange(ui::DataExchange& exchange) override;

    // The stored tick and choice of the option with this check box (false and -1 for others).
    bool Ticked(int checkBoxId) const;
    int Choice(int checkBoxId) const;
    bool SelectAllTicked() const { return selectAll_; }
    // Where writes are recorded; null (the default) records nothing.
    void RecordWritesIn(const service::History* history) { history_ = history; }

private:
    struct OptionState {
        bool ticked = false;
        int choice = -1;  // radio index or list item; -1 for none
    };

    // Index of the option with this check box, or -1.
    static int OptionIndex(int checkBoxId);
    void EnableChoice(int index, bool enable);
    void OnTick(int index);
    void OnSelectAll();
    void OnSet();

    link::PrinterPort& port_;
    ui::HostReporter reporter_;
    const service::History* history_ = nullptr;
    std::array<OptionState, kOptionCount> options_{};
    bool selectAll_ = false;
};

}  // namespace corvane::linemode
