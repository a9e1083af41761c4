#pragma once

#include <iostream>

#include "alignment/VerticalAlignmentDialog.h"
#include "app/ConnectionSettings.h"
#include "linemode/LineModeBaudRateDialog.h"
#include "linemode/LineModeCodePageDialog.h"
#include "linemode/LineModeSwitchDialog.h"
#include "link/PrinterPort.h"
#include "manager/ManagerDialog.h"
#include "operations/Connect.h"
#include "product/Models.h"
#include "service/History.h"
#include "ui/Dialog.h"
#include "ui/HostReporter.h"

namespace corvane::app {

// The main window: the user picks model, emulation, interface and line settings, connects, and
// starts the self tests and tools on the connected printer.
class ConnectionDialog : public ui::Dialog {
public:
    // Diagnostic lines (the USB search's two lines) go to notes, failure details to problems.
    explicit ConnectionDialog(link::PrinterPort& port, std::ostream& notes = std::cout,
                              std::ostream& problems = std::cerr);
    // Gives the print queues moved aside back to the spooler.
    ~ConnectionDialog() override;

    const ConnectionSettings& Settings() const { return settings_; }
    manager::ManagerDialog& Manager() { return managerDialog_; }
    const link::RedirectedPrinters& RedirectedPrinters() const {
        return connector_.RedirectedPrinters();
    }
    // Starts the moved queues again now; for a program that is being ended by a signal.
    void RestoreRedirectedPrinters() { connector_.RestoreRedirectedPrinters(); }
    // Where the windows record their writes to the printer; null (the default) records none.
    void RecordWritesIn(const service::History* history) {
        managerDialog_.RecordWritesIn(history);
        codePageDialog_.RecordWritesIn(history);
        switchDialog_.RecordWritesIn(history);
        baudRateDialog_.RecordWritesIn(history);
        alignmentDialog_.RecordWritesIn(history);
    }

    bool OnInitDialog() override;
    void OnCommand(ui::ControlId id, ui::Notification notification) override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    // Enter presses Connect, the default button; it never closes the main window.
    void OnOk() override {}

    void EnableToolButtons(bool on);
    void EnableLineControls(link::InterfaceKind kind);

private:
    void OnInterfaceRadio(link::InterfaceKind kind);
    void OnLineBoxChanged();
    void OnModelRadio(protocol::PrinterModel model);
    void OnConnect();
    void OnDisconnect();
    void OnRunManager();
    void RunLineModeWindow(product::LineModeWindow window);
    void OnVerticalAlignmentTool();

    // The port and line the controls show; false (after a message) when a choice is missing,
    // as when the parity field holds typed text that names no parity.
    bool ChosenRequest(operations::ConnectRequest& request);
    void EnterConnected();
    void Warn(const std::string& text);

    link::PrinterPort& port_;
    ui::HostReporter reporter_;
    // Connects the port and keeps the print queues off it; it starts the stopped queues again
    // when the window goes.
    operations::PrinterConnector connector_;
    // The tools live as long as the window, so their choices survive from one opening to the
    // next; they are built in this order and destroyed in the reverse order.
    manager::ManagerDialog managerDialog_;
    linemode::LineModeCodePageDialog codePageDialog_;
    linemode::LineModeSwitchDialog switchDialog_;
    linemode::LineModeBaudRateDialog baudRateDialog_;
    alignment::VerticalAlignmentDialog alignmentDialog_;
    ConnectionSettings settings_;
};

}  // namespace corvane::app
