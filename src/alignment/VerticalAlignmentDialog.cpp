#include "alignment/VerticalAlignmentDialog.h"

#include "link/PrinterPort.h"
#include "ui/DataExchange.h"

namespace corvane::alignment {

namespace {

constexpr std::array<std::uint8_t, 7> kPatternPrintRequest = {0x1B, 0x40, 0x1B, 0x78,
                                                              0x01, 0x01, 0x00};
constexpr std::array<std::uint8_t, 7> kVerifyPrintRequest = {0x1B, 0x40, 0x1B, 0x78,
                                                             0x01, 0x03, 0x00};
constexpr std::array<std::uint8_t, 4> kCut = {0x1D, 0x56, 0x42, 0x00};
// The printer needs a moment to store one row before it takes the next.
constexpr std::uint32_t kRowStorePauseMs = 50;

}  // namespace

VerticalAlignmentDialog::VerticalAlignmentDialog(link::PrinterPort& port)
    : ui::Dialog(kTemplateId), port_(port) {}

bool VerticalAlignmentDialog::OnInitDialog() {
    // Every opening starts at offset 0; the printer's stored offsets are not read back.
    rows_.fill(kZeroColumn);
    UpdateData(false);
    return true;
}

void VerticalAlignmentDialog::DoDataExchange(ui::DataExchange& exchange) {
    for (int row = 0; row < kRowCount; ++row) {
        exchange.Radio(kFirstRadioId + row * kColumnCount, rows_[static_cast<std::size_t>(row)]);
    }
}

void VerticalAlignmentDialog::OnCommand(ui::ControlId id, ui::Notification notification) {
    if (notification != ui::Notification::Clicked) {
        return;
    }
    switch (id) {
        case kPatternPrint:
            PrintPattern(kPatternPrintRequest.data(), kPatternPrintRequest.size());
            break;
        case kSaveSetting:
            OnSaveSetting();
            break;
        case kVerifySetting:
            PrintPattern(kVerifyPrintRequest.data(), kVerifyPrintRequest.size());
            break;
        case kExit:
            OnOk();
            break;
        default:
            break;
    }
}

void VerticalAlignmentDialog::PrintPattern(const std::uint8_t* request, std::uint32_t length) {
    if (!port_.Write(request, length) ||
        !port_.Write(kCut.data(), static_cast<std::uint32_t>(kCut.size()))) {
        ShowWriteError();
    }
}

void VerticalAlignmentDialog::OnSaveSetting() {
    UpdateData(true);
    // Every row keeps a checked column; a row without one has no offset to store.
    for (int value : rows_) {
        if (value < 0 || value >= kColumnCount) {
            return;
        }
    }
    for (int row = 0; row < kRowCount; ++row) {
        if (row > 0) {
            port_.Sleep(kRowStorePauseMs);
        }
        const std::array<std::uint8_t, 6> store = {
            0x1B,
            0x78,
            0x01,
            0x02,
            static_cast<std::uint8_t>(row + 1),
            static_cast<std::uint8_t>(rows_[static_cast<std::size_t>(row)] + 1)};
        // A failed row ends the save; the rows before it stay stored in the printer.
        if (!port_.Write(store.data(), static_cast<std::uint32_t>(store.size()))) {
            ShowWriteError();
            return;
        }
    }
    Host().MessageBox("Save Setting Success!!", "", ui::Icon::Information);
}

void VerticalAlignmentDialog::ShowWriteError() {
    Host().MessageBox("Write Error!!", "", ui::Icon::Exclamation);
}

}  // namespace corvane::alignment
