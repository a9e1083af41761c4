#pragma once

// The manager's settings as its controls hold them, and the conversions between them and what
// the printer exchanges: list positions to serial settings, paper width and power save, the
// code page list to the code page switch, and status files to and from both. The window and
// the command line share these, so that a file, a reading and a writing mean the same in both.
//
// The values travel in a StatusRecord, whose fields are those of the manager: pins hold 0 "No
// Change", 1 "Switch On" and 2 "Switch Off"; list positions count "No Change" as 0 and -1 as no
// selection.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "operations/NativeStatus.h"
#include "operations/StatusFile.h"
#include "protocol/NativeEncoding.h"
#include "protocol/PrinterModel.h"

namespace corvane::operations {

// The manager's five settings lists.
enum class SettingList { Baud, DataBits, Parity, FlowControl, PaperWidth };

// The items of a list as the manager shows them, "No Change" first.
std::span<const std::string> ListItems(SettingList list);

// The values before anything was read or loaded: no pin chosen and no list entry selected.
StatusRecord UnsetValues();

// Takes what Get Status read: the code page switch and the family's second switch, and for the
// KRT-310 family the list positions of the serial items and the paper width, and power save.
// Without a power save answer power save reads as off and its seconds stay as they were; a KRT-620
// leaves every list and power save as it was.
void TakeStatus(protocol::PrinterModel model, const NativeStatus& status, StatusRecord& values);

// Takes what Initialize Status puts in the lists and power save: the KRT-310 family's factory
// settings. The pins stay as they are.
void TakeFactorySettings(StatusRecord& values);

// Takes a loaded status file: switch page 1 and the family's second switch, the five lists for
// the KRT-310 family only, and power save for either family. Values are taken as they stand.
void TakeRecord(protocol::PrinterModel model, const StatusRecord& record, StatusRecord& values);

// The code page list's selection that the "Switch On" pins of switch page 1 spell: the entry
// whose number they spell, or -1 when no entry carries it. Before anything was read or loaded,
// pins that spell 0 stand for no choice ("No Change") unless the list already shows the entry
// numbered 0.
int CodePageSelection(protocol::PrinterModel model, const protocol::SwitchPins& switchPage1,
                      bool statusLoaded = true, int shownSelection = -1);

// What Set Status writes: the code page of the list's selection (none for "No Change" or no
// selection), the family's second switch, and for the KRT-310 family the paper width, the serial
// items and power save from the lists. The model text decides whether the printer answers the
// power save frame over USB.
StatusWrite StatusToWrite(protocol::PrinterModel model, const StatusRecord& values,
                          int codePageSelection, const std::string& modelText = {});

// Switch page 1 as a reading would fill it for the code page list's selection: every code page
// pin on or off by the entry's number, and the KRT-310 family's two other pins off, as readings
// and Initialize Status leave them. "No Change" turns every code page pin on, a number no entry
// carries, so that the selection reads back as no entry and the printer keeps its code page.
protocol::SwitchPins SwitchPage1ForSelection(protocol::PrinterModel model, int codePageSelection);

}  // namespace corvane::operations
