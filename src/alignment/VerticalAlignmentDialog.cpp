#include "alignment/VerticalAlignmentDialog.h"

#include "link/PrinterPort.h"
#include "operations/Alignment.h"
#include "ui/DataExchange.h"

namespace corvane::alignment {

namespace ids = resources::template159;

VerticalAlignmentDialog::VerticalAlignmentDialog(link::PrinterPort& port)
    : ui::Dialog(ids::kTemplateId), port_(port), reporter_(*this, port.GetPlatform()) {}

bool VerticalAlignmentDialog::OnInitDialog() {
    // Every opening starts at offset 0; the printer's stored offsets are not read back.
    rows_.fill(kZeroColumn);
    UpdateData(false);
    return true;
}

void VerticalAlignmentDialog::DoDataExchange(ui::DataExchange& exchange) {
    for (int row = 0; row < kRowCount; ++row) {
        exchange.Radio(ids::Radio(row, 0), rows_[static_cast<std::size_t>(row)]);
    }
}

void VerticalAlignmentDialog::OnCommand(ui::ControlId id, ui::Notification notification) {
    if (notification != ui::Notification::Clicked) {
        return;
    }
    switch (id) {
        case ids::kPatternPrint:
            operations::PrintAlignment(port_, operations::AlignmentPrint::Pattern, reporter_);
            break;
        case ids::kSaveSetting:
            OnSaveSetting();
            break;
        case ids::kVerifySetting:
            operations::PrintAlignment(port_, operations::AlignmentPrint::Verification, reporter_);
            break;
        case ids::kExit:
            OnOk();
            break;
        default:
            break;
    }
}

void VerticalAlignmentDialog::OnSaveSetting() {
    UpdateData(true);
    // Every row keeps a checked column; a row without one has no offset to store.
    operations::AlignmentOffsets offsets{};
    for (int row = 0; row < kRowCount; ++row) {
        int column = rows_[static_cast<std::size_t>(row)];
        if (column < 0 || column >= ids::kColumns) {
            return;
        }
        offsets[static_cast<std::size_t>(row)] = column - kZeroColumn;
    }
    operations::AlignmentStore stored =
        operations::StoreAlignmentOffsets(port_, offsets, reporter_);
    if (stored != operations::AlignmentStore::InvalidOffset) {
        std::vector<std::pair<std::string, std::string>> values;
        for (int row = 0; row < kRowCount; ++row) {
            values.emplace_back(std::string("Row [") + static_cast<char>('A' + row) + "]",
                                std::to_string(offsets[static_cast<std::size_t>(row)]));
        }
        service::KeepValuesRecord(history_, port_, "alignment", std::move(values),
                                  stored == operations::AlignmentStore::Stored, reporter_);
    }
}

}  // namespace corvane::alignment
