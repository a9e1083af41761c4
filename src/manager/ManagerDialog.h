#pragma once

#include <array>
#include <memory>
#include <string>

#include "manager/ManagerHistory.h"
#include "manager/ManagerState.h"
#include "manager/ProgressBar.h"
#include "manager/WaitDialog.h"
#include "operations/Identity.h"
#include "operations/NativeStatus.h"
#include "ui/Dialog.h"
#include "ui/HostReporter.h"

namespace corvane::link {
class PrinterPort;
}

namespace corvane::manager {

// The memory switch manager of printers in their own emulation (template 145). It shows one
// memory switch at a time as eight pin lists, the default code page, and for the KRT-310 family
// the serial settings, paper width and power save; it reads them from the printer, writes them
// back, makes the printer print them, and keeps them in status files. The connection window
// owns one manager for the whole run and opens it for each Run Manager.
class ManagerDialog : public ui::Dialog {
public:
    explicit ManagerDialog(link::PrinterPort& port);
    ~ManagerDialog() override;

    // Run Manager's preparation: the family the user chose, and an identity to read afresh.
    void PrepareForOpening(protocol::PrinterModel model);

    const ManagerState& State() const { return state_; }
    // Whether the "Please wait" window is up, as it is from the opening to the first tick.
    bool WaitWindowShown() const { return waitDialog_ != nullptr; }
    ManagerState& State() { return state_; }
    // Where Set Status is recorded; null (the default) records nothing.
    void RecordWritesIn(const service::History* history) { history_.RecordIn(history); }

    bool OnInitDialog() override;
    void OnCommand(ui::ControlId id, ui::Notification notification) override;
    void OnTimer(int timerId) override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    // Enter presses only a push button that has the focus: the edits live in this window until
    // Set Status or Save Status, so Enter never closes it. Exit, Escape and the close box do.
    void OnOk() override {}

    void EnableFamilyControls();
    void EnableActionControls(bool on);
    // The paper width list, or for a KRT-310II the power save controls.
    void EnablePaperWidthOrPowerSave(bool on);
    void ShowSwitchPage(int page);
    void ShowSwitch1Page();
    void ShowSwitch2Page();
    void ShowSwitch5Page();

    // Identifies the printer unless its firmware text is known already. On another maker the
    // program ends; false when the printer was not accepted, after the messages.
    bool ReadPrinterIdentity();

private:
    enum class Identified { Yes, Refused, Silent, ProgramEnding };
    Identified Identify();
    // Locks the action controls and identifies the printer for Get or Set Status; false, with
    // the controls unlocked again, when the exchange must not go on.
    bool StartExchange();
    void OnStartupTimer();
    void OnPinSelected(int pin);
    void OnCodePageSelected();
    void OnSpecialCodePageSelected();
    void OnSettingsListChanged();
    void OnPowerSaveCheck();
    void OnPowerSaveSecondsLeft();
    void OnGetStatus();
    void OnSetStatus();
    void OnPrintStatus();
    void OnSaveStatus();
    void OnLoadStatus();
    void OnInitializeStatus();
    void CloseWaitWindow();
    void TakeStatus(const operations::NativeStatus& status);
    operations::StatusWrite StatusToWrite() const;

    link::PrinterPort& port_;
    ui::HostReporter reporter_;
    ProgressBar progress_;
    ManagerState state_;
    ManagerHistory history_;
    std::unique_ptr<WaitDialog> waitDialog_;
};

}  // namespace corvane::manager
