#pragma once

// Printer settings as a file a person can read: one JSON object that reads like the manager's
// window, with the window's own texts as values, and status files (".sts") beside it. Both load
// into the manager's values (a StatusRecord), so a file of either kind means the same, and each
// converts into the other: a status file comes back from JSON byte for byte.
//
//     {
//       "format": "corvane-settings",
//       "formatVersion": 1,
//       "family": "KRT-310/310II",
//       "defaultCodePage": "Code Page PC850 - Multilingual",
//       "switch1": { "[PIN 1] Reserved": "Switch Off", ... eight pins ... },
//       "switch2": { "Upside-down Printing": "Turn Off", ... eight pins ... },
//       "baudRate": "9600", "dataBits": "8", "parity": "None", "flowControl": "DTR/DSR",
//       "paperWidth": "76mm (3.00\")", "usePowerSave": true, "powerSaveSeconds": 60
//     }
//
// A KRT-620 file has "switch5" (its pins "Special F/W Pin #1" to "#8") and none of the lists;
// it has power save only when its status file held some, which the printer does not use. Every
// setting must be there; "No Change" leaves it as the printer has it. "switch1" holds every pin
// of switch page 1 in plain words, the reserved ones too, so that nothing of a status file is
// lost; files without it (of earlier versions) take the pins from "defaultCodePage", and when
// the two disagree (the code page was edited) the name decides the code page pins. An optional
// "printer" object (port, maker, model, firmware, language) says where the settings came from
// and is not written to any printer. A list with no entry selected, which a status file may
// hold, is null.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "operations/StatusFile.h"
#include "protocol/PrinterModel.h"

namespace corvane::service {

inline constexpr std::string_view kFormatName = "corvane-settings";
inline constexpr int kFormatVersion = 1;

// Where a set of settings came from, for the reader: the printer's texts as base::ShownText shows
// them.
struct PrinterInfo {
    std::string port;
    std::string maker;
    std::string model;
    std::string firmware;
    std::string language;
};

// Settings of one printer family, as the manager holds them.
struct SettingsDocument {
    protocol::PrinterModel family = protocol::PrinterModel::Krt310Family;
    // Kept as a status file of the family keeps them (operations::RecordForModel).
    operations::StatusRecord values;
    std::optional<PrinterInfo> printer;
};

// "KRT-310/310II" or "KRT-620", as the connection window names the families.
std::string_view FamilyName(protocol::PrinterModel family);

// Reads a settings document from JSON text. False with a message that names the key and the
// values allowed when the text is not JSON, lacks a setting, has a key the family does not have,
// or gives a value that no list offers.
bool LoadSettingsJson(std::string_view text, SettingsDocument& document, std::string& error);

// The JSON text of a document, in the window's order, ending in a line break.
std::string SettingsJson(const SettingsDocument& document);

// Checks that every field of a status record holds what the manager's lists offer (pins 0 to
// 2, list positions -1 to the list's last, power save 0 or 1 and 0 to 255 seconds); false with
// a message that names the field as a JSON key and the values allowed.
bool CheckStatusRecord(const operations::StatusRecord& record, std::string& error);

// The settings of a status file as a document of the family: what the window would show after
// Load Status.
SettingsDocument DocumentFromRecord(protocol::PrinterModel family,
                                    const operations::StatusRecord& record);

// Each setting of a document with its text, in the window's order: "defaultCodePage",
// "switch2.Upside-down Printing", "baudRate", ... The power save seconds are numbers as text.
std::vector<std::pair<std::string, std::string>> SettingTexts(const SettingsDocument& document);

// The text that leaves a setting as the printer has it.
inline constexpr std::string_view kNoChange = "No Change";

}  // namespace corvane::service
