#pragma once

#include <array>

#include "resources/Template159Ids.h"
#include "service/History.h"
#include "ui/Dialog.h"
#include "ui/HostReporter.h"

namespace corvane::link {
class PrinterPort;
}

namespace corvane::alignment {

// The KRT-620's vertical alignment tool (template 159): prints the alignment pattern, stores
// the offset -3 to 3 chosen for each of the rows [A] to [D], and prints the verification
// pattern. The printer answers none of these commands.
class VerticalAlignmentDialog : public ui::Dialog {
public:
    static constexpr int kRowCount = resources::template159::kRows;
    // The column of offset 0; the columns run from -3 to 3.
    static constexpr int kZeroColumn = 3;

    explicit VerticalAlignmentDialog(link::PrinterPort& port);

    bool OnInitDialog() override;
    void OnCommand(ui::ControlId id, ui::Notification notification) override;
    void DoDataExchange(ui::DataExchange& exchange) override;

    // The chosen column of a row, 0 ("-3") to 6 ("3"); -1 before the first opening.
    int Row(int row) const {
        return row >= 0 && row < kRowCount ? rows_[static_cast<std::size_t>(row)] : -1;
    }
    // Where writes are recorded; null (the default) records nothing.
    void RecordWritesIn(const service::History* history) { history_ = history; }

private:
    void OnSaveSetting();

    link::PrinterPort& port_;
    ui::HostReporter reporter_;
    const service::History* history_ = nullptr;
    std::array<int, kRowCount> rows_ = {-1, -1, -1, -1};
};

}  // namespace corvane::alignment
