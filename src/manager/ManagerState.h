#pragma once

#include <array>
#include <string>

#include "operations/StatusFile.h"
#include "protocol/NativeEncoding.h"
#include "protocol/PrinterModel.h"

namespace corvane::manager {

using SwitchPage = std::array<protocol::PinSetting, 9>;

// What the manager holds: the switch model (three switch pages), the list positions and power
// save values the controls show, and the printer's identity. List positions count "No Change"
// as 0 and -1 as no selection; a pin holds 0 "No Change", 1 "Switch On" or 2 "Switch Off" (a
// status file may bring any other number, which is kept as it is).
struct ManagerState {
    // Values were read, loaded or initialised since the opening.
    bool statusLoaded = false;
    // The firmware text was asked for, so the code page list may be offered.
    bool firmwareRead = false;
    protocol::PrinterModel model = protocol::PrinterModel::Krt310Family;
    // The identified printer has power save in place of a paper width setting (a KRT-310II).
    bool isKrt310II = false;
    int currentPage = 1;
    SwitchPage switchPage1{};
    SwitchPage switchPage2{};
    SwitchPage switchPage5{};
    int baudIndex = -1;
    int dataBitsIndex = -1;
    int flowControlIndex = -1;
    int paperWidthIndex = -1;
    int parityIndex = -1;
    std::string firmwareText;
    std::string modelText;
    std::string firmwareLabel = "Firmware Version :";
    bool memorySwitchOn = false;
    // The selections of the pin lists of pins 1 to 8; element 0 is no pin.
    std::array<int, 9> pinSelection = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::string languageText;
    bool usePowerSave = false;
    int powerSaveSeconds = 0;

    // The settings the controls hold, as the shared conversions take them, and back.
    operations::StatusRecord Values() const;
    void SetValues(const operations::StatusRecord& values);
    // What a status file keeps of them for the family.
    operations::StatusRecord Record() const;
    // Takes a loaded status file; the pin lists show the family's second switch until a page
    // is shown.
    void TakeRecord(const operations::StatusRecord& record);
    // The switch page the pin lists show.
    SwitchPage& CurrentSwitchPage();
    // Takes the code page list's selection: switch page 1 turns on the pins of the entry's number
    // and leaves the others unchosen, while their pin lists show them off.
    void TakeCodePageSelection(int listIndex);
};

}  // namespace corvane::manager
