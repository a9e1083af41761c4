#include "manager/ManagerDialog.h"

#include <algorithm>

#include "link/PrinterPort.h"
#include "operations/CodePages.h"
#include "operations/Connect.h"
#include "operations/StatusValues.h"
#include "operations/SwitchPages.h"
#include "product/Models.h"
#include "product/SettingLists.h"
#include "resources/Template145Ids.h"
#include "ui/DataExchange.h"

namespace corvane::manager {

namespace {

namespace ids = resources::template145;
using protocol::PrinterModel;
using ui::Notification;

constexpr int kFirstPin = 1;
constexpr int kLastPin = 8;
constexpr std::chrono::milliseconds kStartupDelay{1000};

const ui::FileFilter kStatusFiles = {"Status Files (*.sts)", "*.sts"};

// The controls an exchange locks, which are also those a KRT-310 family printer has besides its
// paper width and power save.
constexpr std::array<int, 12> kActionControls = {
    ids::kGetStatus,   ids::kPrintStatus, ids::kSetStatus,    ids::kSwitch1Page,
    ids::kSwitch2Page, ids::kSaveStatus,  ids::kLoadStatus,   ids::kInitializeStatus,
    ids::kBaudList,    ids::kParityList,  ids::kDataBitsList, ids::kFlowControlList};

// What the KRT-620 uses of them: its switches have no serial, paper or power save settings.
constexpr std::array<int, 7> kKrt620ActionControls = {
    ids::kGetStatus,  ids::kPrintStatus, ids::kSetStatus,       ids::kSwitch1Page,
    ids::kSaveStatus, ids::kLoadStatus,  ids::kInitializeStatus};

// The controls a family's printer has once it is identified, besides paper width and power save.
std::vector<int> FamilyControls(const product::Family& family) {
    if (family.serialSettings) {
        return {kActionControls.begin(), kActionControls.end()};
    }
    std::vector<int> controls(kKrt620ActionControls.begin(), kKrt620ActionControls.end());
    controls.push_back(ids::kSwitch5Page);
    return controls;
}

}  // namespace

ManagerDialog::ManagerDialog(link::PrinterPort& port)
    : ui::Dialog(ids::kTemplateId),
      port_(port),
      reporter_(*this, port.GetPlatform()),
      progress_(*this, ids::kProgress) {}

ManagerDialog::~ManagerDialog() = default;

void ManagerDialog::PrepareForOpening(PrinterModel model) {
    state_.model = model;
    history_.NewOpening();
    // Each opening identifies the printer afresh.
    state_.firmwareText.clear();
    state_.modelText.clear();
    state_.languageText.clear();
}

bool ManagerDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    ui::DialogHost& host = Host();
    waitDialog_ = std::make_unique<WaitDialog>();
    host.ShowModeless(*waitDialog_);
    progress_.SetRange(0, 100);
    state_.switchPage1 = {};
    state_.switchPage2 = {};
    state_.switchPage5 = {};
    host.EnableControl(ids::kMemorySwitchOn, product::FamilyFacts(state_.model).serialSettings);
    host.SetWindowTitle(resources::LoadString(ids::kTitleString));
    host.ClearItems(ids::kCodePageList);
    host.ClearItems(ids::kSpecialCodePageList);
    host.AddItem(ids::kCodePageList, std::string(product::kNoChange));
    for (const auto& entry : operations::CodePageValue(state_.model)) {
        host.AddItem(ids::kCodePageList, std::string(entry.name));
    }
    if (state_.model == PrinterModel::Krt620) {
        host.AddItem(ids::kSpecialCodePageList, std::string(product::kNoChange));
        host.AddItem(ids::kSpecialCodePageList, "Not Used");
    }
    progress_.SetRange(0, 100);
    progress_.SetPosition(10);
    progress_.SetStepSize(25);
    state_.statusLoaded = false;
    // The printer is asked only once the window and the wait window are on screen.
    host.SetTimer(ids::kStartupTimer, kStartupDelay);
    UpdateData(false);
    return true;
}

void ManagerDialog::DoDataExchange(ui::DataExchange& exchange) {
    exchange.ListIndex(ids::kBaudList, state_.baudIndex);
    exchange.ListIndex(ids::kDataBitsList, state_.dataBitsIndex);
    exchange.ListIndex(ids::kFlowControlList, state_.flowControlIndex);
    exchange.ListIndex(ids::kPaperWidthList, state_.paperWidthIndex);
    exchange.ListIndex(ids::kParityList, state_.parityIndex);
    exchange.Text(ids::kFirmwareText, state_.firmwareText);
    exchange.Text(ids::kModelText, state_.modelText);
    exchange.Text(ids::kFirmwareLabel, state_.firmwareLabel);
    exchange.Check(ids::kMemorySwitchOn, state_.memorySwitchOn);
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        exchange.ListIndex(ids::PinList(pin), state_.pinSelection[static_cast<std::size_t>(pin)]);
    }
    exchange.Text(ids::kLanguageText, state_.languageText);
    exchange.Check(ids::kPowerSaveCheck, state_.usePowerSave);
    exchange.Integer(ids::kPowerSaveSeconds, state_.powerSaveSeconds);
}

void ManagerDialog::OnCommand(ui::ControlId id, Notification notification) {
    if (notification == Notification::SelectionChanged) {
        if (id >= ids::PinList(kFirstPin) && id <= ids::PinList(kLastPin)) {
            OnPinSelected(id - ids::PinList(kFirstPin) + kFirstPin);
            return;
        }
        switch (id) {
            case ids::kCodePageList:
                OnCodePageSelected();
                break;
            case ids::kSpecialCodePageList:
                OnSpecialCodePageSelected();
                break;
            case ids::kPaperWidthList:
            case ids::kBaudList:
            case ids::kDataBitsList:
            case ids::kFlowControlList:
            case ids::kParityList:
                OnSettingsListChanged();
                break;
            default:
                break;
        }
        return;
    }
    if (id == ids::kPowerSaveSeconds) {
        if (notification == Notification::TextChanged) {
            UpdateData(true);
        } else if (notification == Notification::FocusLost) {
            OnPowerSaveSecondsLeft();
        }
        return;
    }
    if (notification != Notification::Clicked) {
        return;
    }
    switch (id) {
        case ids::kSwitch1Page:
            ShowSwitch1Page();
            break;
        case ids::kSwitch2Page:
            ShowSwitch2Page();
            break;
        case ids::kSwitch5Page:
            ShowSwitch5Page();
            break;
        case ids::kGetStatus:
            OnGetStatus();
            break;
        case ids::kSetStatus:
            OnSetStatus();
            break;
        case ids::kSaveStatus:
            OnSaveStatus();
            break;
        case ids::kLoadStatus:
            OnLoadStatus();
            break;
        case ids::kInitializeStatus:
            OnInitializeStatus();
            break;
        case ids::kPowerSaveCheck:
            OnPowerSaveCheck();
            break;
        case ids::kPrintStatus:
            OnPrintStatus();
            break;
        case ids::kExit:
            ui::Dialog::OnOk();
            break;
        default:
            break;
    }
}

void ManagerDialog::OnTimer(int timerId) {
    if (timerId == ids::kStartupTimer) {
        OnStartupTimer();
    }
}

void ManagerDialog::OnStartupTimer() {
    Host().KillTimer(ids::kStartupTimer);
    Identified identified = Identify();
    if (identified != Identified::Yes) {
        // The manager closes without leaving its wait window behind.
        CloseWaitWindow();
        if (identified != Identified::ProgramEnding) {
            progress_.SetPosition(100);
            Host().EndDialog(ui::kIdCancel);
        }
        return;
    }
    progress_.SetPosition(100);
    EnableFamilyControls();
    if (state_.model == PrinterModel::Krt620) {
        ShowSwitch5Page();
    } else {
        ShowSwitch2Page();
    }
    ShowSwitch1Page();
    UpdateData(false);
    progress_.SetPosition(0);
    progress_.SetStepSize(1);
    state_.currentPage = 1;
    CloseWaitWindow();
}

void ManagerDialog::CloseWaitWindow() {
    if (waitDialog_) {
        Host().CloseModeless(*waitDialog_);
        waitDialog_.reset();
    }
}

bool ManagerDialog::ReadPrinterIdentity() {
    return Identify() == Identified::Yes;
}

ManagerDialog::Identified ManagerDialog::Identify() {
    if (!state_.firmwareText.empty()) {
        return Identified::Yes;
    }
    operations::PrinterIdentity identity =
        operations::ReadPrinterIdentity(port_, state_.model, progress_, reporter_);
    state_.firmwareText = identity.firmwareText;
    if (identity.firmwareRead) {
        state_.firmwareRead = true;
    }
    if (identity.powerSave) {
        state_.isKrt310II = *identity.powerSave;
    }
    switch (identity.outcome) {
        case operations::IdentityOutcome::OtherMaker:
            // A printer of another maker ends the program; the connection window's teardown
            // still starts the print queues it stopped and the port closes.
            Host().QuitProgram(0);
            return Identified::ProgramEnding;
        case operations::IdentityOutcome::NoAnswer:
            return Identified::Silent;
        case operations::IdentityOutcome::OtherModel:
            state_.modelText = identity.modelText;
            return Identified::Refused;
        case operations::IdentityOutcome::Accepted:
            break;
    }
    state_.modelText = identity.modelText;
    state_.languageText = identity.languageText;
    UpdateData(false);
    return Identified::Yes;
}

bool ManagerDialog::StartExchange() {
    EnableActionControls(false);
    Identified identified = Identify();
    if (identified == Identified::Yes || identified == Identified::ProgramEnding) {
        return identified == Identified::Yes;
    }
    // A printer that does not answer has been told about already; another model is not ours.
    if (identified == Identified::Refused) {
        reporter_.Message(platform::Severity::Warning,
                          std::string(operations::kOtherCompanyProductMessage));
    }
    EnableActionControls(true);
    return false;
}

void ManagerDialog::EnableFamilyControls() {
    ui::DialogHost& host = Host();
    const product::Family& family = product::FamilyFacts(state_.model);
    for (int id : FamilyControls(family)) {
        host.EnableControl(id, true);
    }
    if (family.serialSettings) {
        EnablePaperWidthOrPowerSave(true);
    }
    if (!state_.statusLoaded) {
        state_.baudIndex = 0;
        state_.dataBitsIndex = 0;
        state_.flowControlIndex = 0;
        state_.paperWidthIndex = 0;
        state_.parityIndex = 0;
    }
}

void ManagerDialog::EnableActionControls(bool on) {
    ui::DialogHost& host = Host();
    if (on && state_.model == PrinterModel::Krt620) {
        // Only what the KRT-620 uses comes back: edits elsewhere would never reach it.
        for (int id : kKrt620ActionControls) {
            host.EnableControl(id, true);
        }
        return;
    }
    for (int id : kActionControls) {
        host.EnableControl(id, on);
    }
    EnablePaperWidthOrPowerSave(on);
}

void ManagerDialog::EnablePaperWidthOrPowerSave(bool on) {
    // A KRT-310II has power save instead of a paper width setting.
    ui::DialogHost& host = Host();
    host.EnableControl(ids::kPaperWidthList, on && !state_.isKrt310II);
    host.EnableControl(ids::kPowerSaveCheck, on && state_.isKrt310II);
    host.EnableControl(ids::kPowerSaveSeconds, on && state_.usePowerSave && state_.isKrt310II);
}

void ManagerDialog::ShowSwitchPage(int page) {
    ui::DialogHost& host = Host();
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        host.ClearItems(ids::PinList(pin));
    }
    if (page == 1) {
        host.SetControlText(ids::kCodePageGroup, "Default Code Page");
        host.ShowControl(ids::kSpecialCodePageList, false);
        host.ShowControl(ids::kCodePageList, true);
    } else if (page == 5) {
        host.SetControlText(ids::kCodePageGroup, "Special F/W");
        host.ShowControl(ids::kCodePageList, false);
        host.ShowControl(ids::kSpecialCodePageList, true);
    }
    auto rows = operations::PageRows(state_.model, page);
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        const operations::PinRow& row = rows[static_cast<std::size_t>(pin - 1)];
        host.SetControlText(ids::PinLabel(pin), row.label);
        for (const std::string& choice : row.choices) {
            host.AddItem(ids::PinList(pin), choice);
        }
        // Only switch page 2 is edited pin by pin; the others follow their code page lists.
        host.EnableControl(ids::PinList(pin), page == 2);
    }
    if (page == 1) {
        host.ShowControl(ids::kNearEndNote, false);
        host.EnableControl(ids::kCodePageList, state_.firmwareRead);
    } else if (page == 2) {
        host.ShowControl(ids::kNearEndNote, true);
        host.EnableControl(ids::kCodePageList, false);
    }
}

void ManagerDialog::ShowSwitch1Page() {
    ShowSwitchPage(1);
    // The KRT-310 family's pins 1 and 2 are not part of the code page; their lists keep theirs.
    int firstPin = state_.model == PrinterModel::Krt620 ? 1 : 3;
    for (int pin = firstPin; pin <= kLastPin; ++pin) {
        const auto k = static_cast<std::size_t>(pin);
        state_.pinSelection[k] = state_.switchPage1[k];
    }
    Host().SetSelection(
        ids::kCodePageList,
        operations::CodePageSelection(state_.model, state_.switchPage1, state_.statusLoaded,
                                      Host().Selection(ids::kCodePageList)));
    state_.currentPage = 1;
    UpdateData(false);
}

void ManagerDialog::ShowSwitch2Page() {
    state_.currentPage = 2;
    ShowSwitchPage(2);
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        const auto k = static_cast<std::size_t>(pin);
        state_.pinSelection[k] = state_.switchPage2[k];
    }
    UpdateData(false);
}

void ManagerDialog::ShowSwitch5Page() {
    state_.currentPage = 5;
    ShowSwitchPage(5);
    int onPins = 0;
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        const auto k = static_cast<std::size_t>(pin);
        state_.pinSelection[k] = state_.switchPage5[k];
        if (state_.switchPage5[k] == protocol::kPinSwitchOn) {
            onPins += 1 << (pin - 1);
        }
    }
    // "Not Used" stands for no pin on; any pin on matches no entry of the two.
    Host().SetSelection(ids::kSpecialCodePageList, 1 + onPins);
    UpdateData(false);
}

void ManagerDialog::OnPinSelected(int pin) {
    UpdateData(true);
    const auto k = static_cast<std::size_t>(pin);
    state_.CurrentSwitchPage()[k] = state_.pinSelection[k];
    UpdateData(false);
}

void ManagerDialog::OnCodePageSelected() {
    UpdateData(true);
    state_.TakeCodePageSelection(Host().Selection(ids::kCodePageList));
    UpdateData(false);
}

void ManagerDialog::OnSpecialCodePageSelected() {
    UpdateData(true);
    // Either entry writes memory switch 5 with every pin off at the next Set Status.
    state_.switchPage5.fill(protocol::kPinSwitchOff);
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        state_.pinSelection[static_cast<std::size_t>(pin)] = protocol::kPinNoChange;
    }
    UpdateData(false);
}

void ManagerDialog::OnSettingsListChanged() {
    UpdateData(true);
    UpdateData(false);
}

void ManagerDialog::OnPowerSaveCheck() {
    UpdateData(true);
    Host().EnableControl(ids::kPowerSaveSeconds, state_.usePowerSave);
    UpdateData(false);
}

void ManagerDialog::OnPowerSaveSecondsLeft() {
    UpdateData(true);
    state_.powerSaveSeconds =
        std::clamp(state_.powerSaveSeconds, operations::kLowestPowerSaveSeconds,
                   operations::kHighestPowerSaveSeconds);
    UpdateData(false);
}

void ManagerDialog::TakeStatus(const operations::NativeStatus& status) {
    operations::StatusRecord values = state_.Values();
    operations::TakeStatus(state_.model, status, values);
    state_.SetValues(values);
}

void ManagerDialog::OnGetStatus() {
    if (!StartExchange()) {
        return;
    }
    progress_.SetPosition(0);
    operations::ReadResult read = operations::ReadNativeStatus(port_, state_.model, progress_);
    if (!read.ok) {
        // Nothing is taken over from a reading that did not finish.
        progress_.SetPosition(0);
        reporter_.Message(platform::Severity::Warning,
                          operations::ReadFailureMessage(state_.model, read.failedItem));
        EnableActionControls(true);
        return;
    }
    progress_.SetPosition(100);
    state_.statusLoaded = true;
    TakeStatus(read.status);
    history_.StatusRead(state_);
    EnableFamilyControls();
    if (state_.model == PrinterModel::Krt620) {
        ShowSwitch5Page();
    } else {
        ShowSwitch2Page();
    }
    ShowSwitch1Page();
    reporter_.Message(platform::Severity::Information, std::string(operations::kGetSuccessMessage));
    UpdateData(false);
    progress_.SetPosition(0);
    state_.currentPage = 1;
    EnableActionControls(true);
}

operations::StatusWrite ManagerDialog::StatusToWrite() const {
    return operations::StatusToWrite(state_.model, state_.Values(),
                                     Host().Selection(ids::kCodePageList), state_.modelText);
}

void ManagerDialog::OnSetStatus() {
    if (!StartExchange()) {
        return;
    }
    UpdateData(true);
    progress_.SetPosition(0);
    operations::StatusWrite write = StatusToWrite();
    operations::WriteResult written =
        operations::WriteNativeStatus(port_, state_.model, write, progress_);
    history_.StatusWritten(port_, state_, written.ok, reporter_);
    // The identification after the writing is then a full one.
    state_.firmwareText.clear();
    if (!written.ok) {
        progress_.SetPosition(0);
        reporter_.Message(platform::Severity::Warning,
                          operations::WriteFailureMessage(written.failedStep));
        EnableActionControls(true);
        return;
    }
    // A printer that is not accepted afterwards has had its messages; success is not claimed
    // after them.
    Identified after = Identify();
    if (after == Identified::ProgramEnding) {
        return;
    }
    if (after != Identified::Yes) {
        progress_.SetPosition(0);
        EnableActionControls(true);
        return;
    }
    progress_.SetPosition(100);
    reporter_.Message(
        platform::Severity::Information,
        std::string(state_.model == PrinterModel::Krt620 ? operations::kSetSuccessKrt620Message
                                                         : operations::kSetSuccessKrt310Message));
    progress_.SetPosition(0);
    if (state_.model == PrinterModel::Krt310Family && port_.Kind() == link::InterfaceKind::Serial &&
        state_.memorySwitchOn) {
        operations::RetuneHostLine(port_, write.serial);
    }
    EnableActionControls(true);
}

void ManagerDialog::OnPrintStatus() {
    if (Identify() != Identified::Yes) {
        return;
    }
    operations::PrintNativeStatus(port_, progress_);
}

void ManagerDialog::OnSaveStatus() {
    auto path = Host().SaveFileDialog({"Save current status", "Noname.sts", kStatusFiles, ""});
    if (!path) {
        return;
    }
    UpdateData(true);
    ShowSwitch1Page();
    std::string error;
    if (!operations::WriteStatusFile(*path, state_.Record(), error)) {
        reporter_.Message(
            platform::Severity::Warning,
            "The status file was not saved, and an earlier one is kept: " + error + ".");
    }
}

void ManagerDialog::OnLoadStatus() {
    auto path = Host().OpenFileDialog({"Load saved status", "*.sts", kStatusFiles, ""});
    if (!path) {
        return;
    }
    if (!operations::IsStatusFileName(*path)) {
        reporter_.Message(platform::Severity::Warning, "Wrong format files loaded.");
        return;
    }
    operations::StatusRecord record;
    std::string error;
    if (!operations::ReadStatusFile(*path, record, error)) {
        reporter_.Message(platform::Severity::Warning,
                          "The status file was not loaded: " + error + ".");
        return;
    }
    state_.TakeRecord(record);
    state_.statusLoaded = true;
    UpdateData(false);
    ShowSwitch1Page();
    for (int id : {ids::kGetStatus, ids::kPrintStatus, ids::kSetStatus}) {
        Host().EnableControl(id, true);
    }
    EnableFamilyControls();
}

void ManagerDialog::OnInitializeStatus() {
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        const auto k = static_cast<std::size_t>(pin);
        state_.pinSelection[k] = protocol::kPinSwitchOff;
        state_.switchPage1[k] = protocol::kPinSwitchOff;
        state_.switchPage2[k] = protocol::kPinSwitchOff;
        state_.switchPage5[k] = protocol::kPinSwitchOff;
    }
    if (product::FamilyFacts(state_.model).serialSettings) {
        operations::StatusRecord values = state_.Values();
        operations::TakeFactorySettings(values);
        state_.SetValues(values);
        Host().EnableControl(ids::kPowerSaveSeconds, true);
    }
    state_.statusLoaded = true;
    UpdateData(false);
    ShowSwitch1Page();
}

}  // namespace corvane::manager
