#pragma once

#include <iostream>

#include "alignment/VerticalAlignmentDialog.h"
#include "app/ConnectionSettings.h"
#include "linemode/LineModeBaudRateDialog.h"
#include "linemode/LineModeCodePageDialog.h"
#include "linemode/LineModeSwitchDialog.h"
#include "link/PrinterPort.h"
#include "link/SpoolerPorts.h"
#include "link/UsbPrinterFinder.h"
#include "protocol/MessageSink.h"
#include "ui/Dialog.h"

namespace corvane::app {

// The main window: the user picks model, emulation, interface and line settings, connects, and
// starts the self tests and tools on the connected printer.
class ConnectionDialog : public ui::Dialog {
public:
    // The USB search writes its two diagnostic lines to diagnostics.
    explicit ConnectionDialog(link::PrinterPort& port, std::ostream& diagnostics = std::cout);
    // Gives the print queues moved aside back to the spooler.
    ~ConnectionDialog() override;

    const ConnectionSettings& Settings() const { return settings_; }
    const link::RedirectedPrinters& RedirectedPrinters() const { return redirectedPrinters_; }
    // Starts the moved queues again now; for a program that is being ended by a signal.
    void RestoreRedirectedPrinters();

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
    void OnModelRadio(int model);
    void OnConnect();
    void OnDisconnect();
    void OnSelfTest(std::uint8_t test);
    void OnRunManager();
    void OnVerticalAlignmentTool();

    // Copies the chosen line settings into the port; false (after a message) when a choice is
    // missing, as when the parity field holds typed text that names no parity.
    bool CopyLineSettings();
    // Firmware id, then maker and model; true when the printer is one of the chosen model.
    bool IdentifyNativePrinter();
    // The emulation question; true when the printer answered 02 or 03.
    bool AskEmulation();
    // The USB printer found must come from the vendor of the chosen model.
    bool UsbVendorMatchesModel() const;
    protocol::MessageSink Messages();
    void EnterConnected();
    void Warn(const std::string& text);
    void Inform(const std::string& text);

    link::PrinterPort& port_;
    link::UsbPrinterFinder usbFinder_;
    // The tools live as long as the window, so their choices survive from one opening to the
    // next; they are built in this order and destroyed in the reverse order.
    linemode::LineModeCodePageDialog codePageDialog_;
    linemode::LineModeSwitchDialog switchDialog_;
    linemode::LineModeBaudRateDialog baudRateDialog_;
    alignment::VerticalAlignmentDialog alignmentDialog_;
    // Queues stopped so that the spooler keeps off the printer's port, until they are restored.
    link::RedirectedPrinters redirectedPrinters_;
    ConnectionSettings settings_;
};

}  // namespace corvane::app
