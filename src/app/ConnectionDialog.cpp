#include "app/ConnectionDialog.h"

#include <array>

#include "operations/Alignment.h"
#include "operations/LineMode.h"
#include "operations/SelfTest.h"
#include "product/Models.h"
#include "product/SettingLists.h"
#include "resources/Template102Ids.h"
#include "ui/DataExchange.h"

namespace corvane::app {

using link::InterfaceKind;
using protocol::Emulation;
using protocol::PrinterModel;
using ui::Notification;
namespace ids = resources::template102;

namespace {

constexpr std::array<int, 6> kLineBoxes = {ids::kLptBox,      ids::kComBox,    ids::kBaudBox,
                                           ids::kDataBitsBox, ids::kParityBox, ids::kStopBitsBox};

// The list position of a value the list has.
template <typename Value, std::size_t Count>
int ListPosition(const std::array<product::Choice<Value>, Count>& choices, Value value) {
    return product::PositionOf(choices, value).value_or(0);
}

}  // namespace

ConnectionDialog::ConnectionDialog(link::PrinterPort& port, std::ostream& notes,
                                   std::ostream& problems)
    : ui::Dialog(ids::kTemplateId),
      port_(port),
      reporter_(*this, port.GetPlatform(), notes, problems),
      connector_(port, reporter_),
      managerDialog_(port),
      codePageDialog_(port),
      switchDialog_(port),
      baudRateDialog_(port),
      alignmentDialog_(port) {}

ConnectionDialog::~ConnectionDialog() {
    // The queues go back before the tools go.
    connector_.RestoreRedirectedPrinters();
}

bool ConnectionDialog::OnInitDialog() {
    ui::DialogHost& host = Host();
    for (std::string_view name : product::kSerialPortNames) {
        host.AddItem(ids::kComBox, std::string(name));
    }
    const product::SerialLineDefaults& line = product::kDefaultLine;
    host.SetSelection(ids::kLptBox, 0);
    host.SetSelection(ids::kComBox, 0);
    host.SetSelection(ids::kBaudBox, ListPosition(product::kSerialSpeeds, line.speed));
    host.SetSelection(ids::kDataBitsBox, ListPosition(product::kDataBits, line.dataBits));
    host.SetSelection(ids::kParityBox, ListPosition(product::kParities, line.parity));
    host.SetSelection(ids::kStopBitsBox, ListPosition(product::kStopBits, line.stopBits));
    host.ShowControl(ids::kPicture620, false);
    host.ShowControl(ids::kPicture310, true);
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
            operations::PrintSelfTest(port_, operations::SelfTestPage::First);
            break;
        case ids::kSelfTest2:
            operations::PrintSelfTest(port_, operations::SelfTestPage::Second);
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
            OnModelRadio(PrinterModel::Krt310Family);
            break;
        case ids::kModel620:
            OnModelRadio(PrinterModel::Krt620);
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
    host.EnableControl(ids::kAlignmentTool,
                       on && product::FamilyFacts(settings_.model).verticalAlignment);
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
        connector_.Disconnect();
        host.EnableControl(ids::kConnect, true);
        if (settings_.model == PrinterModel::Krt310Family) {
            host.EnableControl(ids::kEmulationNative, true);
            host.EnableControl(ids::kEmulationOther, true);
        }
    }
    EnableLineControls(kind);
}

void ConnectionDialog::OnLineBoxChanged() {
    if (port_.IsOpen()) {
        connector_.Disconnect();
        EnableToolButtons(false);
        Host().EnableControl(ids::kConnect, true);
    }
}

void ConnectionDialog::OnModelRadio(PrinterModel model) {
    ui::DialogHost& host = Host();
    UpdateData(true);
    if (port_.IsOpen()) {
        EnableToolButtons(false);
        connector_.Disconnect();
        host.EnableControl(ids::kConnect, true);
        host.EnableControl(ids::kEmulationNative, true);
        host.EnableControl(ids::kEmulationOther, true);
        EnableLineControls(port_.Kind());
    }
    EnableToolButtons(false);
    host.EnableControl(ids::kDisconnect, false);
    for (int id : {ids::kConnect, ids::kSerial, ids::kParallel, ids::kUsb, ids::kEmulationNative,
                   ids::kEmulationOther}) {
        host.EnableControl(id, true);
    }
    settings_.model = model;
    if (model == PrinterModel::Krt310Family) {
        host.ShowControl(ids::kPicture310, true);
        host.ShowControl(ids::kPicture620, false);
    } else {
        // The KRT-620 is configured only in its own emulation.
        settings_.emulation = Emulation::Native;
        host.ShowControl(ids::kPicture620, true);
        host.ShowControl(ids::kPicture310, false);
    }
    UpdateData(false);
}

bool ConnectionDialog::ChosenRequest(operations::ConnectRequest& request) {
    ui::DialogHost& host = Host();
    request.model = settings_.model;
    request.emulation = settings_.emulation;
    if (settings_.interfaceKind == InterfaceKind::Serial) {
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
        request.portName = host.ItemText(ids::kComBox, com);
        request.line.baudRate = product::kSerialSpeeds[static_cast<std::size_t>(baud)].value;
        request.line.dataBits = product::kDataBits[static_cast<std::size_t>(data)].value;
        request.line.parity = static_cast<std::uint32_t>(parity);
        request.line.stopBits = static_cast<std::uint32_t>(stop);
    } else if (settings_.interfaceKind == InterfaceKind::Parallel) {
        request.portName = host.ControlText(ids::kLptBox);
    } else {
        request.portName = product::kUsbPortName;
    }
    return true;
}

void ConnectionDialog::OnConnect() {
    UpdateData(true);
    operations::ConnectRequest request;
    if (!ChosenRequest(request)) {
        return;
    }
    operations::ConnectResult result = connector_.Connect(request);
    if (!result.Connected()) {
        return;
    }
    if (settings_.emulation == Emulation::Native) {
        EnableToolButtons(true);
    } else {
        settings_.emulationAnswer = result.emulationAnswer;
    }
    EnterConnected();
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
    connector_.Disconnect();
    EnableToolButtons(false);
    host.EnableControl(ids::kDisconnect, false);
    for (int id : {ids::kConnect, ids::kSerial, ids::kParallel, ids::kUsb, ids::kEmulationNative,
                   ids::kEmulationOther}) {
        host.EnableControl(id, true);
    }
    EnableLineControls(port_.Kind());
}

void ConnectionDialog::OnRunManager() {
    if (settings_.emulation == Emulation::Native) {
        managerDialog_.PrepareForOpening(settings_.model);
        Host().RunModal(managerDialog_);
        return;
    }
    // A printer in the foreign emulation takes line-mode commands; which dialog fits depends on
    // the family and on what it answered to the emulation question.
    const product::Family& family = product::FamilyFacts(settings_.model);
    if (settings_.emulationAnswer == 1) {
        RunLineModeWindow(family.lineModeWindow02);
    } else if (settings_.emulationAnswer == 2) {
        RunLineModeWindow(family.lineModeWindow03);
    }
}

void ConnectionDialog::RunLineModeWindow(product::LineModeWindow window) {
    switch (window) {
        case product::LineModeWindow::MemorySwitches:
            Host().RunModal(switchDialog_);
            break;
        case product::LineModeWindow::CodePage:
            Host().RunModal(codePageDialog_);
            break;
        case product::LineModeWindow::BaudRate:
            Host().RunModal(baudRateDialog_);
            break;
        case product::LineModeWindow::None:
            Warn(std::string(operations::kEmulationNotSupportedMessage));
            break;
    }
}

void ConnectionDialog::OnVerticalAlignmentTool() {
    if (product::FamilyFacts(settings_.model).verticalAlignment) {
        Host().RunModal(alignmentDialog_);
    } else {
        Warn(std::string(operations::kAlignmentNotSupportedMessage));
    }
}

void ConnectionDialog::Warn(const std::string& text) {
    reporter_.Message(platform::Severity::Warning, text);
}

}  // namespace corvane::app
