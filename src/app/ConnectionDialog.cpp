#include "app/ConnectionDialog.h"

#include <array>

#include "app/ConnectionIds.h"
#include "protocol/Identification.h"
#include "ui/DataExchange.h"

namespace corvane::app {

using link::InterfaceKind;
using ui::Notification;

namespace {

constexpr std::array<int, 6> kLineBoxes = {ids::kLptBox,      ids::kComBox,    ids::kBaudBox,
                                           ids::kDataBitsBox, ids::kParityBox, ids::kStopBitsBox};

constexpr std::array<const char*, 14> kComPorts = {
    "COM1", "COM2", "COM3",         "COM4",         "COM5",         "COM6",         "COM7",
    "COM8", "COM9", "\\\\.\\COM10", "\\\\.\\COM11", "\\\\.\\COM12", "\\\\.\\COM13", "\\\\.\\COM14"};

constexpr std::array<std::uint32_t, 5> kBaudRates = {1200, 2400, 4800, 9600, 19200};
constexpr std::array<std::uint32_t, 2> kDataBits = {7, 8};

const char* const kCantOpen = "Can't open port and Printer is disconnected";
const char* const kConnected = "Printer is connected.";

}  // namespace

ConnectionDialog::ConnectionDialog(link::PrinterPort& port, std::ostream& diagnostics)
    : ui::Dialog(ids::kConnectionTemplate),
      port_(port),
      usbFinder_(
          port.GetPlatform(),
          [this](const std::string& text, const std::string& caption) {
              Host().MessageBox(text, caption, ui::Icon::Exclamation);
          },
          diagnostics),
      codePageDialog_(port),
      switchDialog_(port),
      baudRateDialog_(port),
      alignmentDialog_(port) {
    settings_.model = Krt310Family;
    port_.SetUsbAccess(&usbFinder_);
}

ConnectionDialog::~ConnectionDialog() {
    RestoreRedirectedPrinters();
    port_.SetUsbAccess(nullptr);
}

void ConnectionDialog::RestoreRedirectedPrinters() {
    link::RestoreRedirectedPrinters(port_.GetPlatform(), redirectedPrinters_);
}

bool ConnectionDialog::OnInitDialog() {
    ui::DialogHost& host = Host();
    for (const char* name : kComPorts) {
        host.AddItem(ids::kComBox, name);
    }
    host.SetSelection(ids::kLptBox, 0);
    host.SetSelection(ids::kComBox, 0);
    host.SetSelection(ids::kBaudBox, 3);
    host.SetSelection(ids::kDataBitsBox, 1);
    host.SetSelection(ids::kParityBox, 0);
    host.SetSelection(ids::kStopBitsBox, 0);
    host.ShowControl(ids::kPicture620, false);
    host.ShowControl(ids::kPicture310, true);
    redirectedPrinters_.clear();
    settings_ = ConnectionSettings{};
    UpdateData(false);
    host.SetWindowTitle(resources::LoadString(ids::kTitleString));
    return true;
}

void ConnectionDialog::DoDataExchange(ui::DataExchange& exchange) {
    exchange.Radio(ids::kSerial, settings_.interfaceKind);
    exchange.Radio(ids::kEmulationNative, settings_.emulation);
    exchange.Radio(ids::kModel310, settings_.model);
}

void ConnectionDialog::OnCommand(ui::ControlId id, Notification notification) {
    if (notification == Notification::SelectionChanged) {
        switch (id) {
            case ids::kComBox:
            case ids::kBaudBox:
            case ids::kDataBitsBox:
            case ids::kParityBox:
            case ids::kStopBitsBox:
                OnLineBoxChanged();
                break;
            default:
                break;
        }
        return;
    }
    if (notification != Notification::Clicked) {
        return;
    }
    switch (id) {
        case ids::kSelfTest1:
            OnSelfTest(0x02);
            break;
        case ids::kSelfTest2:
            OnSelfTest(0x03);
            break;
        case ids::kRunManager:
            OnRunManager();
            break;
        case ids::kSerial:
            OnInterfaceRadio(InterfaceKind::Serial);
            break;
        case ids::kParallel:
            OnInterfaceRadio(InterfaceKind::Parallel);
            break;
        case ids::kUsb:
            OnInterfaceRadio(InterfaceKind::Usb);
            break;
        case ids::kConnect:
            OnConnect();
            break;
        case ids::kDisconnect:
            OnDisconnect();
            break;
        case ids::kModel310:
            OnModelRadio(Krt310Family);
            break;
        case ids::kModel620:
            OnModelRadio(Krt620);
            break;
        case ids::kAlignmentTool:
            OnVerticalAlignmentTool();
            break;
        default:
            break;
    }
}

void ConnectionDialog::EnableToolButtons(bool on) {
    ui::DialogHost& host = Host();
    host.EnableControl(ids::kSelfTest1, on);
    host.EnableControl(ids::kSelfTest2, on);
    host.EnableControl(ids::kRunManager, on);
    host.EnableControl(ids::kAlignmentTool, on && settings_.model == Krt620);
}

void ConnectionDialog::EnableLineControls(InterfaceKind kind) {
    ui::DialogHost& host = Host();
    for (int box : kLineBoxes) {
        host.EnableControl(box, false);
    }
    if (kind == InterfaceKind::Serial) {
        for (int box :
             {ids::kComBox, ids::kBaudBox, ids::kDataBitsBox, ids::kParityBox, ids::kStopBitsBox}) {
            host.EnableControl(box, true);
        }
    } else if (kind == InterfaceKind::Parallel) {
        host.EnableControl(ids::kLptBox, true);
    }
}

void ConnectionDialog::OnInterfaceRadio(InterfaceKind kind) {
    ui::DialogHost& host = Host();
    if (port_.IsOpen()) {
        EnableToolButtons(false);
        port_.Close();
        host.EnableControl(ids::kConnect, true);
        if (settings_.model == Krt310Family) {
            host.EnableControl(ids::kEmulationNative, true);
            host.EnableControl(ids::kEmulationOther, true);
        }
    }
    EnableLineControls(kind);
}

void ConnectionDialog::OnLineBoxChanged() {
    if (port_.IsOpen()) {
        port_.Close();
        EnableToolButtons(false);
        Host().EnableControl(ids::kConnect, true);
    }
}

void ConnectionDialog::OnModelRadio(int model) {
    ui::DialogHost& host = Host();
    UpdateData(true);
    if (port_.IsOpen()) {
        EnableToolButtons(false);
        port_.Close();
        host.EnableControl(ids::kConnect, true);
        host.EnableControl(ids::kEmulationNative, true);
        host.EnableControl(ids::kEmulationOther, true);
        EnableLineControls(port_.kind);
    }
    EnableToolButtons(false);
    host.EnableControl(ids::kDisconnect, false);
    for (int id : {ids::kConnect, ids::kSerial, ids::kParallel, ids::kUsb, ids::kEmulationNative,
                   ids::kEmulationOther}) {
        host.EnableControl(id, true);
    }
    if (model == Krt310Family) {
        settings_.model = Krt310Family;
        host.ShowControl(ids::kPicture310, true);
        host.ShowControl(ids::kPicture620, false);
    } else {
        // The KRT-620 is configured only in its own emulation.
        settings_.emulation = NativeEmulation;
        settings_.model = Krt620;
        host.ShowControl(ids::kPicture620, true);
        host.ShowControl(ids::kPicture310, false);
    }
    UpdateData(false);
}

bool ConnectionDialog::CopyLineSettings() {
    ui::DialogHost& host = Host();
    auto kind = static_cast<InterfaceKind>(settings_.interfaceKind);
    if (kind == InterfaceKind::Serial) {
        int com = host.Selection(ids::kComBox);
        int baud = host.Selection(ids::kBaudBox);
        int data = host.Selection(ids::kDataBitsBox);
        int parity = host.Selection(ids::kParityBox);
        int stop = host.Selection(ids::kStopBitsBox);
        if (parity < 0) {
            Warn("Choose the parity from the list: None, Odd or Even.");
            return false;
        }
        if (com < 0 || baud < 0 || data < 0 || stop < 0) {
            Warn("Choose the port and every line setting from the lists.");
            return false;
        }
        port_.portName = host.ItemText(ids::kComBox, com);
        port_.baudRate = kBaudRates[static_cast<std::size_t>(baud)];
        port_.dataBits = kDataBits[static_cast<std::size_t>(data)];
        port_.parity = static_cast<std::uint32_t>(parity);
        port_.stopBits = static_cast<std::uint32_t>(stop);
    } else if (kind == InterfaceKind::Parallel) {
        port_.portName = host.ControlText(ids::kLptBox);
    } else {
        port_.portName = "USB";
    }
    return true;
}

void ConnectionDialog::OnConnect() {
    UpdateData(true);
    if (!CopyLineSettings()) {
        return;
    }
    if (settings_.interfaceKind != static_cast<int>(InterfaceKind::Usb)) {
        // Queues moved by an earlier Connect go back first, then those on the new port move.
        RestoreRedirectedPrinters();
        link::RedirectPrintersOnPort(port_.GetPlatform(), port_.portName, redirectedPrinters_);
    }
    if (!port_.Open()) {
        Warn(kCantOpen);
        return;
    }
    if (port_.kind == InterfaceKind::Usb && !port_.IsWindows9xFamily() &&
        !UsbVendorMatchesModel()) {
        Inform("The connected Printer has different device ID.");
        return;
    }
    bool accepted =
        settings_.emulation == NativeEmulation ? IdentifyNativePrinter() : AskEmulation();
    if (accepted) {
        EnterConnected();
    }
}

bool ConnectionDialog::UsbVendorMatchesModel() const {
    std::uint16_t vendor =
        settings_.model == Krt620 ? link::kKrt620VendorId : link::kKrt310FamilyVendorId;
    return usbFinder_.ChosenDeviceHasVendor(vendor);
}

protocol::MessageSink ConnectionDialog::Messages() {
    return [this](const std::string& text, protocol::MessageIcon icon) {
        Host().MessageBox(text, "", static_cast<ui::Icon>(icon));
    };
}

bool ConnectionDialog::IdentifyNativePrinter() {
    auto model = static_cast<protocol::PrinterModel>(settings_.model);
    protocol::FirmwareIdResult firmware = protocol::CheckFirmwareId(port_, model);
    if (firmware.check == protocol::FirmwareCheck::PortError) {
        Warn(std::string(protocol::kPortErrorMessage));
        return false;
    }
    if (firmware.check == protocol::FirmwareCheck::Unsupported) {
        protocol::ShowUnsupportedFirmware(Messages(), firmware.versionText, port_.kind);
        return false;
    }
    if (!protocol::CheckPrinterIdentity(port_, model, Messages())) {
        Warn(std::string(protocol::kOtherCompanyProductMessage));
        return false;
    }
    Inform(kConnected);
    EnableToolButtons(true);
    return true;
}

bool ConnectionDialog::AskEmulation() {
    // Only the emulation question goes out: a printer in a foreign emulation would take the
    // native requests as print data.
    protocol::EmulationReply reply = protocol::QueryEmulation(port_);
    if (reply.answer == 0) {
        Warn(kCantOpen);
        return false;
    }
    settings_.emulationAnswer = reply.answer;
    Inform(kConnected);
    return true;
}

void ConnectionDialog::EnterConnected() {
    ui::DialogHost& host = Host();
    host.EnableControl(ids::kEmulationNative, false);
    host.EnableControl(ids::kEmulationOther, false);
    host.EnableControl(ids::kRunManager, true);
    host.EnableControl(ids::kDisconnect, true);
    host.EnableControl(ids::kConnect, false);
    for (int id : {ids::kSerial, ids::kParallel, ids::kUsb}) {
        host.EnableControl(id, false);
    }
    for (int box : kLineBoxes) {
        host.EnableControl(box, false);
    }
}

void ConnectionDialog::OnDisconnect() {
    ui::DialogHost& host = Host();
    port_.Close();
    EnableToolButtons(false);
    host.EnableControl(ids::kDisconnect, false);
    for (int id : {ids::kConnect, ids::kSerial, ids::kParallel, ids::kUsb, ids::kEmulationNative,
                   ids::kEmulationOther}) {
        host.EnableControl(id, true);
    }
    EnableLineControls(port_.kind);
}

void ConnectionDialog::OnSelfTest(std::uint8_t test) {
    // GS ( A with two parameter bytes: n = 1, m = the test page to print.
    const std::array<std::uint8_t, 7> request = {0x1D, 0x28, 0x41, 0x02, 0x00, 0x01, test};
    port_.Write(request.data(), static_cast<std::uint32_t>(request.size()));
}

void ConnectionDialog::OnRunManager() {
    if (settings_.emulation == NativeEmulation) {
        Warn("The memory switch manager is not part of this version.");
        return;
    }
    // A printer in the foreign emulation takes line-mode commands; which dialog fits depends on
    // the model and on what it answered to the emulation question.
    if (settings_.emulationAnswer == 1) {
        if (settings_.model == Krt310Family) {
            Host().RunModal(switchDialog_);
        } else {
            Host().RunModal(codePageDialog_);
        }
    } else if (settings_.emulationAnswer == 2) {
        if (settings_.model == Krt310Family) {
            Host().RunModal(baudRateDialog_);
        } else {
            Warn("Citizen Emulation is not support!!");
        }
    }
}

void ConnectionDialog::OnVerticalAlignmentTool() {
    if (settings_.model == Krt620) {
        Host().RunModal(alignmentDialog_);
    } else {
        Warn("This printer can't not use the vertical alignment tool.");
    }
}

void ConnectionDialog::Warn(const std::string& text) {
    Host().MessageBox(text, "", ui::Icon::Exclamation);
}

void ConnectionDialog::Inform(const std::string& text) {
    Host().MessageBox(text, "", ui::Icon::Information);
}

}  // namespace corvane::app
