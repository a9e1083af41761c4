#pragma once

// Connecting to a printer: the port is set up and opened, print queues are kept off it, and the
// printer is asked who it is. Every refusal is told to the user through the reporter with the
// message that names it, and comes back as a value.

#include <cstdint>
#include <string>
#include <string_view>

#include "link/PrinterPort.h"
#include "link/SpoolerPorts.h"
#include "link/UsbPrinterFinder.h"
#include "platform/Reporter.h"
#include "product/SettingLists.h"
#include "protocol/PrinterModel.h"

namespace corvane::operations {

// The serial line a printer is reached over; a parallel or USB port ignores it.
struct SerialLine {
    std::uint32_t baudRate = product::kDefaultLine.speed;
    std::uint32_t dataBits = product::kDefaultLine.dataBits;
    std::uint32_t parity = platform::kParityNone;
    std::uint32_t stopBits = platform::kStopBitsOne;
};

struct ConnectRequest {
    protocol::PrinterModel model = protocol::PrinterModel::Krt310Family;
    protocol::Emulation emulation = protocol::Emulation::Native;
    std::string portName;  // "COM3", "\\.\COM12", "LPT1:" or "USB"
    SerialLine line;
};

enum class ConnectOutcome {
    Connected,
    OpenFailed,           // the port did not open
    OtherUsbVendor,       // the USB printer comes from the other family's vendor
    PortError,            // nothing came back to the version id request
    UnsupportedFirmware,  // the printer is not of the chosen family, or its firmware is too old
    OtherMaker,
    OtherModel,
    NoEmulationAnswer,  // the printer in the "Other" emulation did not answer 02 or 03
};

struct ConnectResult {
    ConnectOutcome outcome = ConnectOutcome::OpenFailed;
    // What the printer answered to the emulation query: 1 for 02, 2 for 03; 0 otherwise.
    int emulationAnswer = 0;
    // The firmware's own text, fetched when its version id was refused.
    std::string firmwareText;
    // Why the port did not open.
    link::PortFailure failure;

    bool Connected() const { return outcome == ConnectOutcome::Connected; }
};

inline constexpr std::string_view kCantOpenPortMessage =
    "Can't open port and Printer is disconnected";
inline constexpr std::string_view kOtherUsbVendorMessage =
    "The connected Printer has different device ID.";
inline constexpr std::string_view kPortErrorMessage = "Port error! Check printer's port, please.";
inline constexpr std::string_view kCompanyNameMismatchMessage =
    "This printer don't match our company name.";
inline constexpr std::string_view kPrinterNameMismatchMessage =
    "This printer don't match our printer name.";
inline constexpr std::string_view kOtherCompanyProductMessage =
    "Don't use this program for other company product.";
inline constexpr std::string_view kConnectedMessage = "Printer is connected.";

// The unsupported-firmware message (shown without a mark). The version is shown when the text
// has at least two characters, where a serial or parallel text counts its terminating 00, so
// there one character is enough; otherwise the version reads "Unknown".
std::string UnsupportedFirmwareMessage(const std::string& versionText, link::InterfaceKind kind);

// What a printer in its own emulation names itself, and the family to connect it as: a KRT-620
// as one, anything else as the KRT-310 family, whose checks then say what is wrong with it.
struct ModelNameAnswer {
    std::string modelText;
    protocol::PrinterModel family = protocol::PrinterModel::Krt310Family;
};

// Asks the printer on an open port for its model name, as the name check of a connect does. A
// printer in the "Other" emulation would print the question, so it is never asked.
ModelNameAnswer AskModelName(link::PrinterPort& port);

// Connects the one printer port of the program and keeps the print queues off it. It owns the
// USB printer search of the port and the table of print queues it stopped, and starts those
// queues again when it goes.
class PrinterConnector {
public:
    PrinterConnector(link::PrinterPort& port, platform::Reporter& reporter);
    ~PrinterConnector();

    PrinterConnector(const PrinterConnector&) = delete;
    PrinterConnector& operator=(const PrinterConnector&) = delete;

    // Sets up the port for the request and opens it; on a serial or parallel port the queues
    // stopped by an earlier Connect start again first, then those on the new port stop. Then
    // the printer must prove to be of the chosen model: in its own emulation by its version id,
    // maker and model names, in the "Other" emulation by answering the emulation query. After
    // any refusal the port stays open, so that another Connect can try again.
    ConnectResult Connect(const ConnectRequest& request);

    // Connect in two halves, for a caller that asks the printer something in between. The
    // first sets up the port and opens it, with the queues handled as Connect does; false with
    // the refusal when it does not open.
    bool OpenPort(const ConnectRequest& request, ConnectResult& refusal);
    // The second makes the printer on the open port prove to be of the request's model.
    ConnectResult Identify(const ConnectRequest& request);

    // Closes the port; the stopped queues stay stopped until the next serial or parallel
    // Connect or the end.
    void Disconnect();

    // Starts the stopped queues again now, those that no other session of the program needs.
    void RestoreRedirectedPrinters();
    const link::RedirectedPrinters& RedirectedPrinters() const { return redirectedPrinters_; }
    const link::UsbPrinterFinder& UsbFinder() const { return usbFinder_; }

private:
    void CopyLineSettings(const ConnectRequest& request);
    ConnectResult IdentifyNativePrinter(protocol::PrinterModel model);
    ConnectResult AskEmulation();
    ConnectResult Refuse(ConnectOutcome outcome, std::string_view message);
    void Inform(std::string_view text);
    void Warn(std::string_view text);

    link::PrinterPort& port_;
    platform::Reporter& reporter_;
    link::UsbPrinterFinder usbFinder_;
    // Queues stopped so that the spooler keeps off the printer's port, until they are restored;
    // this session's part of the process's table (link::HeldQueues).
    link::RedirectedPrinters redirectedPrinters_;
};

}  // namespace corvane::operations
